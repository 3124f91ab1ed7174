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

# "<X id> <process id>" of the visible spec window (its caption begins "Tarvik") shown by the
# Vantrel.exe whose environment carries the tag $1, if there is one. Wine marks each window with
# its process's id, so another Vantrel on the display is passed by. The progress window that a slow
# start shows first has the same caption and is narrower: 260 dialog units against 434, which with
# the prefix's dialog font are about 520 and 870 pixels.
vantrel_window() {
  for id in $(xwininfo -display "$DISPLAY" -root -children 2>/dev/null |
              sed -n 's/^ *\(0x[0-9a-f]*\) "Tarvik.*/\1/p'); do
    owner=$(xprop -display "$DISPLAY" -id "$id" _NET_WM_PID 2>/dev/null | sed -n 's/^_NET_WM_PID(CARDINAL) = //p')
    [ -n "$owner" ] && tr '\0' '\n' < "/proc/$owner/environ" 2>/dev/null | grep -qx "VANTREL_RUN_TAG=$1" &&
      xwininfo -display "$DISPLAY" -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' &&
      [ "$(xwininfo -display "$DISPLAY" -id "$id" 2>/dev/null | sed -n 's/^ *Width: //p')" -ge 600 ] 2>/dev/null &&
      { echo "$id $owner"; return 0; }
  done
  return 1
}

if [ -n "${DISPLAY:-}" ]; then
  echo "== Vantrel.exe is open on $DISPLAY; close its window to go on."
  # Not through wine-run.sh, which starts again a program that ended without a word.
  (. scripts/wine-vars.sh && "$wine64_loader" build/x64/app/Vantrel.exe) || true
else
  shot=build/vantrel-window.png
  . scripts/wine-vars.sh
  # Wine may run Vantrel.exe in a process apart from the launcher started here; the tag in its
  # environment tells it, and whatever it started in turn, from any other process. Only the
  # launcher and the processes carrying the tag are ended, by their ids.
  tag=vantrel-run-$$
  VANTREL_RUN_TAG=$tag "$wine64_loader" build/x64/app/Vantrel.exe >/dev/null 2>&1 &
  launcher=$!
  tagged() {
    for dir in /proc/[0-9]*; do
      { tr '\0' '\n' < "$dir/environ"; } 2>/dev/null | grep -qx "VANTREL_RUN_TAG=$tag" && echo "${dir#/proc/}"
    done
  }
  end_started() {
    for id in $(tagged) $launcher; do kill "$id" 2>/dev/null || true; done
    wait "$launcher" 2>/dev/null || true
  }
  # However the script ends from here (no window, a failed screenshot, Ctrl+C), what it started ends.
  trap end_started EXIT
  trap 'exit 1' INT TERM
  found=""
  for _ in $(seq 300); do
    found=$(vantrel_window "$tag") && break
    kill -0 "$launcher" 2>/dev/null || { echo "Vantrel.exe ended before its window appeared" >&2; exit 1; }
    sleep 0.1
  done
  [ -n "$found" ] || { echo "Vantrel.exe showed no window within 30 s" >&2; exit 1; }
  window=${found% *}
  sleep 0.5  # let it finish painting
  import -display "$DISPLAY" -window "$window" "$shot"
  end_started
  trap - EXIT
  echo "== No display: Vantrel.exe ran on the virtual display $DISPLAY; screenshot of its window: $shot"
fi
echo "== Spec report of this machine (VantrelReport.exe):"
sh scripts/wine-run.sh build/x64/app/VantrelReport.exe 2>/dev/null
