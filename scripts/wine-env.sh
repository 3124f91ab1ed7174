#!/bin/sh
# Prepares what the tests run in: a virtual X display, the project's Wine prefix with the
# Korean dialog font mapped, and a persistent wineserver with Wine's services already up.
# Idempotent. Every background process gets /dev/null for all three streams, so none of
# them holds a pipe of the caller (CTest waits for its pipes to close).
set -eu
# Nor does any of them inherit the caller's other descriptors: a lock held around this script
# would otherwise stay held for as long as the wineserver runs.
exec 3>&- 4>&- 5>&- 6>&- 7>&- 8>&- 9>&-
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
. "$here/wine-vars.sh"

# A local display (":N") whose server is not running gets a virtual one; any other display is
# taken as given. A server that was killed leaves its lock file and socket behind, so a display
# counts as up only while the process its lock file names is running.
display_number=${DISPLAY#:}
display_number=${display_number%%.*}
x_server_alive() {
  pid=$(tr -cd 0-9 2>/dev/null < "/tmp/.X$display_number-lock") || return 1
  # Alive, and not a zombie that no parent has reaped.
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null &&
    ! sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | grep -q '^Z'
}
if [ ":$display_number" = "${DISPLAY%%.*}" ] && ! x_server_alive; then
  rm -f "/tmp/.X$display_number-lock" "/tmp/.X11-unix/X$display_number"
  setsid Xvfb ":$display_number" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  for _ in $(seq 100); do
    x_server_alive && [ -S "/tmp/.X11-unix/X$display_number" ] && break
    sleep 0.1
  done
  x_server_alive || { echo "Xvfb did not start on :$display_number" >&2; exit 1; }
fi

quiet() { "$@" </dev/null >/dev/null 2>&1; }
# Stops the script with the step that failed.
failed() { echo "wine-env.sh: $1; the Wine prefix $WINEPREFIX is not ready" >&2; exit 1; }

# A prefix this script makes carries a mark from its first step, and counts as made once its
# settings file is there: that file is written only after the settings were imported and read back.
# A marked prefix without it was left half-made by a run that stopped, and is made again (its own
# server, if one still runs, ended first, through the prefix). A prefix without the mark is not
# this script's to remove: it only gets the settings.
reg_file="$WINEPREFIX/vantrel-settings.reg"
made_here="$WINEPREFIX/vantrel-made-here"
if [ -f "$made_here" ] && ! [ -f "$reg_file" ]; then
  echo "The Wine prefix $WINEPREFIX was left half-made; making it again."
  quiet "$wineserver" -k || true
  rm -rf "$WINEPREFIX"
fi
mkdir -p "$(dirname "$WINEPREFIX")"
if ! [ -d "$WINEPREFIX" ]; then
  echo "Creating the Wine prefix $WINEPREFIX (about 20 s)..."
  mkdir -p "$WINEPREFIX" && : > "$made_here"
  # Where the kernel runs no 32-bit programs wineboot cannot set up the 32-bit side and says so in
  # its exit status; the prefix is judged by what it left, not by that status.
  quiet "$wine64_loader" wineboot -i || true
  quiet "$wineserver" -w || true
  [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/user.reg" ] &&
    [ -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ] || failed "wineboot did not create the prefix"
fi

# The server stays up between test processes (-p), so each test starts in a fraction of a second.
setsid "$wineserver" -p </dev/null >/dev/null 2>&1 || true

# The dialog font "맑은 고딕" (Malgun Gothic) is not on Linux: without a stand-in Hangul shows as
# boxes. The dialog is laid out in dialog units, which follow the font's cell height, so the
# stand-in is the plain gothic Debian Korean font whose (winAscent + winDescent) / unitsPerEm is
# nearest Malgun Gothic's 1.330: LexiGulim, 1.250 (NanumGothic, 1.150, overlaps the two
# pictures; UnPilgi, 1.382, is nearer but handwritten, and clips Latin labels). The caption and
# message-box font, Tahoma, gets NanumGothic, as on a Korean Windows whose UI font has Hangul.
# Windows are unmanaged: Xvfb runs no window manager, and Wine would otherwise wait up to two
# seconds for one whenever a window is hidden. No X input method either: no control of the
# program takes typed text, and Wine opens one for every thread's first window, reading the
# locale's whole compose table each time (about 30 ms of CPU; Wine's WMI and the adapter list each
# make a window, on threads of their own). A UTF-16 .reg file keeps the Korean name intact
# whatever the Unix locale is; it is imported again whenever these settings change, so an
# existing prefix takes new ones too.
printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
  '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
  '"맑은 고딕"="LexiGulim"' '"Malgun Gothic"="LexiGulim"' '"Tahoma"="NanumGothic"' '' \
  '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '"UseXIM"="N"' |
  iconv -f UTF-8 -t UTF-16LE | { printf '\377\376'; cat; } > "$reg_file.new"
# Whether the registry holds the value ($1 key, $2 name) with the data $3.
registry_has() {
  "$wine64_loader" reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' | grep -q "$2.*REG_SZ.*$3\$"
}
if ! cmp -s "$reg_file.new" "$reg_file"; then
  quiet "$wine64_loader" regedit /S "$reg_file.new" || failed "regedit did not import the font and window settings"
  registry_has 'HKCU\Software\Wine\Fonts\Replacements' 'Malgun Gothic' LexiGulim &&
    registry_has 'HKCU\Software\Wine\X11 Driver' Managed N &&
    registry_has 'HKCU\Software\Wine\X11 Driver' UseXIM N ||
    failed "the font and window settings are not in the registry after regedit"
  mv "$reg_file.new" "$reg_file"
else
  rm -f "$reg_file.new"
fi

# Start Wine's background services (services.exe, rpcss, explorer) outside any test's pipes.
quiet "$wine64_loader" cmd /c exit || failed "Wine's cmd did not run"
