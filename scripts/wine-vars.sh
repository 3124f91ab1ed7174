# Sourced: the Wine prefix, display and quiet logging that every project script shares, and how
# each program is started.
vantrel_root=$(CDPATH= cd -- "$(dirname -- "${0}")/.." 2>/dev/null && pwd)
[ -f "$vantrel_root/CMakePresets.json" ] || vantrel_root=$(pwd)
export WINEPREFIX="${VANTREL_WINEPREFIX:-$vantrel_root/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export DISPLAY="${VANTREL_DISPLAY:-:97}"
# No Mono or Gecko install prompts: the program needs neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}mscoree,mshtml="

# Debian's `wine` wrapper always starts Wine's 32-bit loader first, even for a 64-bit program, and
# some kernels run no 32-bit programs at all ("Exec format error"). So 64-bit programs and Wine's
# own tools (wineboot, regedit, cmd) go to the 64-bit loader directly; only a 32-bit executable
# goes through the wrapper.
wine64_loader=/usr/lib/wine/wine64
[ -x "$wine64_loader" ] || wine64_loader=$(command -v wine64 || echo wine64)
wine32_loader=/usr/lib/wine/wine
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver=wineserver

# Whether the file is a PE32+ executable for x86-64 (machine 0x8664 in its COFF header).
pe_is_x64() {
  [ -f "$1" ] || return 1
  header=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$header" ] && [ "$(od -An -tx2 -j$((header + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')" = 8664 ]
}

# Runs a Windows program, or a tool of Wine's named without a path, with the loader it needs.
vantrel_wine() {
  if [ -f "$1" ] && ! pe_is_x64 "$1"; then wine "$@"; else "$wine64_loader" "$@"; fi
}

# Whether this machine runs Wine's 32-bit loader, found by trying it; the reason is left in
# wine32_failure when it does not.
wine32_runs() {
  wine32_failure=$("$wine32_loader" --version 2>&1 >/dev/null) && return 0
  [ -n "$wine32_failure" ] || wine32_failure="it did not start"
  return 1
}
