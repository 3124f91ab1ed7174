#!/bin/sh
# Fails when an executable imports a DLL that Windows does not ship (a compiler runtime, say).
objdump=$1; shift
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|msvcrt|comctl32|comdlg32|version|ntdll)\.dll$'
status=0
for exe in "$@"; do
  dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$dlls" ] || { echo "$exe: no import table found"; status=1; continue; }
  for dll in $dlls; do
    if ! echo "$dll" | grep -Eq "$allowed"; then
      echo "$exe imports $dll, which is not a system DLL"
      status=1
    fi
  done
  echo "$(basename "$exe"): $(echo $dlls | tr '\n' ' ')"
done
exit $status
