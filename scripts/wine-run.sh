#!/bin/sh
# Runs a Windows program under Wine in the project's own prefix and virtual display.
# CTest uses it as the cross-compiling emulator; scripts/wine-env.sh must have started
# the wineserver and the display first, or Wine's services inherit CTest's pipes and it hangs.
#
# Now and then Wine's loader fails to start an executable at all: it falls back to start.exe,
# which prints "Application could not be started ... ShellExecuteEx failed: Internal error." on
# standard output, or the 64-bit loader fails without a word, and the same command succeeds when
# repeated. Such a start, and only such a start, is tried again, and said so on stderr. Standard output stays live (through tee);
# standard error is held until the program ends and is passed on whatever happens.
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
. "$here/wine-vars.sh"

output=$(mktemp); errors=$(mktemp); status_file=$(mktemp)
trap 'cat "$errors" >&2; rm -f "$output" "$errors" "$status_file"' EXIT
trap 'exit 143' TERM INT

never_started() {
  [ "$1" != 0 ] || return 1
  # Or, through the 64-bit loader, a failure before the program wrote a byte anywhere: every
  # program it runs (a test program's first line, the report) writes something once it starts.
  { [ ! -s "$output" ] && [ ! -s "$errors" ]; } ||
    { [ "$(wc -l < "$output")" -le 3 ] && grep -q '^Application could not be started' "$output" &&
      grep -q '^ShellExecuteEx failed' "$output"; }
}

for attempt in 1 2 3; do
  { vantrel_wine "$@" 2>"$errors"; echo "$?" > "$status_file"; } | tee "$output"
  status=$(cat "$status_file")
  never_started "$status" && [ "$attempt" -lt 3 ] || break
  echo "wine-run.sh: Wine did not start $1 (exit $status, $(grep "^ShellExecuteEx failed" "$output" || echo "no output")); trying again" >&2
done
exit "$status"
