#!/bin/sh
# Sets up, builds the 64-bit program and runs Vantrel.exe under Wine. On a desktop (DISPLAY set)
# the window opens there and the script waits until it is closed. Without a display it runs on a
# virtual one, saves a screenshot of the window to build/vantrel-window.png and closes it.
# Either way it then prints this machine's spec report, as the copy button would copy it.
set -eu
root=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
cd "$root"

sh scripts/setup.sh
cmake --preset x64 >/dev/null
cmake --build --preset x64 --target Vantrel VantrelReport -j 2
[ -n "${DISPLAY:-}" ] && export VANTREL_DISPLAY="$DISPLAY"
sh scripts/wine-env.sh

# The X id of Vantrel.exe's visible spec window (its caption begins "Tarvik"), if there is one.
vantrel_window() {
  for id in $(xwininfo -display "$DISPLAY" -root -children 2>/dev/null |
              sed -n 's/^ *\(0x[0-9a-f]*\) "Tarvik.*/\1/p'); do
    xwininfo -display "$DISPLAY" -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && { echo "$id"; return 0; }
  done
  return 1
}

if [ -n "${DISPLAY:-}" ]; then
  echo "== Vantrel.exe is open on $DISPLAY; close its window to go on."
  sh scripts/wine-run.sh build/x64/app/Vantrel.exe
else
  shot=build/vantrel-window.png
  . scripts/wine-vars.sh
  # The wine launcher execs the loader, so this id is the process that runs Vantrel.exe, and the
  # only one this script ends.
  wine build/x64/app/Vantrel.exe >/dev/null 2>&1 &
  pid=$!
  window=""
  for _ in $(seq 300); do
    window=$(vantrel_window) && break
    kill -0 "$pid" 2>/dev/null || { echo "Vantrel.exe ended before its window appeared" >&2; exit 1; }
    sleep 0.1
  done
  if [ -z "$window" ]; then
    kill "$pid" 2>/dev/null || true
    echo "Vantrel.exe showed no window within 30 s" >&2
    exit 1
  fi
  sleep 0.5  # let it finish painting
  import -display "$DISPLAY" -window "$window" "$shot"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "== No display: Vantrel.exe ran on the virtual display $DISPLAY; screenshot of its window: $shot"
fi
echo "== Spec report of this machine (VantrelReport.exe):"
sh scripts/wine-run.sh build/x64/app/VantrelReport.exe 2>/dev/null
