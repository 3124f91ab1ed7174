#!/bin/sh
# Runs a Windows program under Wine in the project's own prefix and virtual display.
# CTest uses it as the cross-compiling emulator; scripts/wine-env.sh must have started
# the wineserver and the display first, or Wine's services inherit CTest's pipes and it hangs.
#
# Now and then Wine's loader fails to start an executable at all ("Application could not be
# started ... ShellExecuteEx failed: Internal error.") and the same command succeeds at once
# when repeated. Such a start, and only such a start, is tried again, and said so on stderr.
# Standard output stays live; standard error is held until the program ends to tell the two
# apart, and is passed on whatever happens.
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
. "$here/wine-vars.sh"

errors=$(mktemp)
trap 'cat "$errors" >&2; rm -f "$errors"' EXIT
trap 'exit 143' TERM INT

never_started() {
  [ "$1" != 0 ] && [ "$(wc -l < "$errors")" -le 3 ] &&
    grep -q '^Application could not be started' "$errors" &&
    grep -q '^ShellExecuteEx failed' "$errors"
}

for attempt in 1 2 3; do
  wine "$@" 2>"$errors"
  status=$?
  never_started "$status" && [ "$attempt" -lt 3 ] || break
  echo "wine-run.sh: Wine did not start $1 ($(grep "^ShellExecuteEx failed" "$errors")); trying again" >&2
done
exit "$status"
