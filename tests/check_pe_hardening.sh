#!/bin/sh
# Fails when an executable lacks the hardening Windows' own linker gives by default: ASLR
# (DYNAMIC_BASE, with the base relocations it needs), DEP (NX_COMPAT), TERMINAL_SERVICE_AWARE,
# and on 64-bit also high-entropy ASLR.
objdump=$1; shift
status=0
for exe in "$@"; do
  headers=$("$objdump" -p "$exe")
  wanted="DYNAMIC_BASE NX_COMPAT TERMINAL_SERVICE_AWARE"
  echo "$headers" | grep -Eq '^Magic[[:space:]]+020b' && wanted="$wanted HIGH_ENTROPY_VA"
  # The flag names are the indented lines under DllCharacteristics.
  flags=$(echo "$headers" | sed -n '/^DllCharacteristics/,/^[^[:space:]]/s/^[[:space:]]\{1,\}//p' | tr '\n' ' ')
  for flag in $wanted; do
    case " $flags" in *" $flag "*) ;; *) echo "$exe: $flag is not set"; status=1 ;; esac
  done
  "$objdump" -h "$exe" | grep -q ' \.reloc ' || { echo "$exe: no .reloc section, so it cannot be moved"; status=1; }
  echo "$(basename "$exe"): $flags"
done
exit $status
