# Sourced: the Wine prefix, display and quiet logging that every project script shares.
vantrel_root=$(CDPATH= cd -- "$(dirname -- "${0}")/.." 2>/dev/null && pwd)
[ -f "$vantrel_root/CMakePresets.json" ] || vantrel_root=$(pwd)
export WINEPREFIX="${VANTREL_WINEPREFIX:-$vantrel_root/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export DISPLAY="${VANTREL_DISPLAY:-:97}"
# No Mono or Gecko install prompts: the program needs neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}mscoree,mshtml="
