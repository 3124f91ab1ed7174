#!/bin/sh
# Runs a Windows program under Wine in the project's own prefix and virtual display.
# CTest uses it as the cross-compiling emulator; scripts/wine-env.sh must have started
# the wineserver and the display first, or Wine's services inherit CTest's pipes and it hangs.
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
. "$here/wine-vars.sh"
exec wine "$@"
