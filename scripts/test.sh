#!/bin/sh
# Sets up a Debian machine, builds both architectures and runs every test under Wine, then checks
# that the release archive is reproducible, laid out for sellers and signable.
set -eu
root=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
cd "$root"

sh scripts/setup.sh
for arch in x64 x86; do
  echo "== Building $arch"
  cmake --preset "$arch" >/dev/null
  cmake --build --preset "$arch" -j 2
done

sh scripts/wine-env.sh

status=0
for arch in x64 x86; do
  echo "== Testing $arch"
  ctest --preset "$arch" || status=1
done
echo "== Checking the release archive"
sh scripts/check-release.sh || status=1
[ "$status" = 0 ] && echo "All tests passed on x64 and x86." || echo "Some tests failed (see above)."
exit "$status"
