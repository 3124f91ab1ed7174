#!/bin/sh
# Sets up a Debian machine, builds both architectures and runs every test under Wine, then checks
# that the release archive is reproducible, laid out for sellers and signable. Where Wine cannot
# start 32-bit programs (its 32-bit part could not be installed, or the kernel runs no 32-bit
# programs), the 32-bit build is still made and given every check that needs no Wine, and the last
# lines say what was not run and why.
set -eu
root=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
cd "$root"

sh scripts/setup.sh
# The 32-bit part of Wine may not be had here; its last line says why.
mkdir -p build
wine32_setup=""
if ! sh scripts/setup.sh wine32 2>build/setup-wine32.log; then
  wine32_setup=$(tail -n 1 build/setup-wine32.log)
  echo "== The 32-bit part of Wine was not installed; apt's output is in build/setup-wine32.log"
fi
. scripts/wine-vars.sh
x86_under_wine=ON
wine32_runs || x86_under_wine=OFF
for arch in x64 x86; do
  echo "== Building $arch"
  under_wine=ON
  [ "$arch" = x64 ] || under_wine=$x86_under_wine
  cmake --preset "$arch" -DVANTREL_RUN_UNDER_WINE=$under_wine >/dev/null
  cmake --build --preset "$arch" -j 2
done

sh scripts/wine-env.sh

status=0
echo "== Testing x64"
ctest --preset x64 || status=1
if [ "$x86_under_wine" = ON ]; then
  echo "== Testing x86"
  ctest --preset x86 || status=1
  ran="x64 and x86"
else
  echo "== Testing x86: the checks that need no Wine (Wine does not start 32-bit programs here; see the last lines)"
  ctest --preset x86 || status=1
  ran="x64, and on x86 every check that needs no Wine"
fi
echo "== Checking the release archive"
sh scripts/check-release.sh || status=1
[ "$status" = 0 ] && echo "All tests passed on $ran." || echo "Some tests failed (see above)."
if [ "$x86_under_wine" = OFF ]; then
  if [ ! -e "$wine32_loader" ]; then
    echo "The 32-bit programs were not run here: Wine's 32-bit part is not installed ($wine32_loader is missing)."
    [ -z "$wine32_setup" ] || echo "Its install failed: ${wine32_setup#setup.sh: }"
  elif [ -z "${wine32_failure##*Exec format error*}" ]; then
    echo "The 32-bit programs were not run here: this machine's kernel does not start Wine's 32-bit loader"
    echo "($wine32_loader: ${wine32_failure##*: })."
  else
    # Installed, yet not starting for another reason (a missing library, say): not the kernel.
    echo "The 32-bit programs were not run here: Wine's 32-bit loader did not start ($wine32_failure)."
  fi
  echo "They were built and given every check that needs no Wine."
fi
exit "$status"
