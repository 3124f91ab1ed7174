#!/bin/sh
# Sets up, builds the 64-bit program and runs it under Wine: for now the console report
# program, VantrelReport.exe, which prints the spec report of this machine.
set -eu
root=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
cd "$root"

sh scripts/setup.sh
cmake --preset x64 >/dev/null
cmake --build --preset x64 --target VantrelReport -j 2
sh scripts/wine-env.sh
echo "== Spec report of this machine (diagnostic lines on standard error):"
sh scripts/wine-run.sh build/x64/app/VantrelReport.exe
