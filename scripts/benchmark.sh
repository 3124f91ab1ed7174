#!/bin/sh
# Builds both architectures in Release mode and prints, for each, under Wine on the virtual
# display: the platform floor, the collection pass, the window's start and wmic (medians over
# repeated runs), each executable's size and imported DLLs, and Vantrel.exe's peak working set.
# Usage: scripts/benchmark.sh [runs]   (default 7)
set -eu
root=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
cd "$root"
runs=${1:-7}

sh scripts/setup.sh
for arch in x64 x86; do
  cmake --preset "$arch-release" >/dev/null
  cmake --build --preset "$arch-release" --target Vantrel VantrelReport vantrel_benchmark collection_pass_benchmark -j 2 >/dev/null
done
sh scripts/wine-env.sh
. scripts/wine-vars.sh
arches="x64 x86"
wine32_runs || { arches=x64; echo "The 32-bit programs are not measured: Wine's 32-bit loader does not start here ($wine32_failure)."; }

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $("$wine64_loader" --version), $(date -u +%Y-%m-%d)"
for arch in $arches; do
  build=build/$arch-release
  case $arch in x64) objdump=x86_64-w64-mingw32-objdump ;; *) objdump=i686-w64-mingw32-objdump ;; esac
  echo
  echo "== $arch"
  sh scripts/wine-run.sh "$build/tests/vantrel_benchmark.exe" "$runs"
  for exe in "$build/app/Vantrel.exe" "$build/app/VantrelReport.exe"; do
    imports=$($objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')
    printf '%-18s %8d bytes   imports: %s\n' "$(basename "$exe")" "$(stat -c %s "$exe")" "$imports"
  done
  echo "collection pass over scripted machines (fake platform):"
  sh scripts/wine-run.sh "$build/tests/collection_pass_benchmark.exe"
done
