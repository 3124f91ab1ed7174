#!/bin/sh
# Builds both architectures in Release mode, strips them, and packs Vantrel.exe and
# VantrelReport.exe per architecture with the README and a SHA-256 list into one archive
# named with the version: build/release/Vantrel-<version>.zip
set -eu
root=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
cd "$root"

sh scripts/setup.sh
version=$(sed -n 's/^project(Vantrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
stage=build/release/Vantrel-$version
rm -rf "$stage" "$stage.zip"
for arch in x64 x86; do
  case $arch in x64) strip=x86_64-w64-mingw32-strip ;; *) strip=i686-w64-mingw32-strip ;; esac
  cmake --preset "$arch-release" >/dev/null
  cmake --build --preset "$arch-release" --target Vantrel VantrelReport -j 2
  mkdir -p "$stage/$arch"
  for exe in Vantrel.exe VantrelReport.exe; do
    $strip -o "$stage/$arch/$exe" "build/$arch-release/app/$exe"
  done
done
cp README.md "$stage/"
(cd "$stage" && sha256sum x64/*.exe x86/*.exe README.md > SHA256SUMS)
(cd build/release && zip -qr "Vantrel-$version.zip" "Vantrel-$version")
echo "Release archive: build/release/Vantrel-$version.zip"
cat "$stage/SHA256SUMS"
