#!/bin/sh
# Builds both architectures in Release mode and packs the sellers' archive,
# build/release/Vantrel-<version>.zip: the 64-bit Vantrel.exe at the top with the Korean guide
# and SHA256SUMS.txt, the 32-bit one in 32bit-Windows/, VantrelReport.exe and the README in
# developers/. An unsigned archive is the same bytes from the same commit on any machine, path or
# day; signed ones differ in the signing time (and the key), and are compared file by file.
# It ends with what the shop publishes beside the download: the homepage address built in, the
# commit, and the SHA-256 of the archive and of every executable in it.
#
#   VANTREL_HOMEPAGE_URL         the shop's homepage for this build (else the build's setting)
#   VANTREL_SIGN_PKCS12          a PKCS#12 file: sign every executable with it (Authenticode, SHA-256)
#   VANTREL_SIGN_PASSWORD_FILE   the file holding its password (never the password itself)
#   VANTREL_SIGN_TIMESTAMP_URL   optional RFC 3161 timestamp server
set -eu
root=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
cd "$root"

fail() { echo "release.sh: $*; no archive made." >&2; exit 1; }

sh scripts/setup.sh
rm -rf build/release
mkdir -p build/release

# Signing inputs are checked before anything is built. The password only ever travels in its file.
p12=${VANTREL_SIGN_PKCS12:-}; password_file=${VANTREL_SIGN_PASSWORD_FILE:-}
if [ -n "$p12$password_file" ]; then
  [ -n "$p12" ] && [ -n "$password_file" ] ||
    fail "signing needs both VANTREL_SIGN_PKCS12 and VANTREL_SIGN_PASSWORD_FILE"
  [ -f "$p12" ] && [ -r "$p12" ] || fail "cannot read the certificate file '$p12' (VANTREL_SIGN_PKCS12)"
  # Its value is never printed: set by mistake, it may be the password itself.
  [ -f "$password_file" ] && [ -r "$password_file" ] ||
    fail "cannot read the password file that VANTREL_SIGN_PASSWORD_FILE names (it must name a file)"
  # Files exported from Windows often use the legacy PKCS#12 ciphers, hence the second try.
  openssl pkcs12 -in "$p12" -passin "file:$password_file" -noout 2>/dev/null ||
    openssl pkcs12 -legacy -in "$p12" -passin "file:$password_file" -noout 2>/dev/null ||
    fail "cannot open '$p12' with the password in VANTREL_SIGN_PASSWORD_FILE's file (wrong password, or not a PKCS#12 file)"
fi

# Entry times come from the commit, so that every checkout of it packs the same bytes.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    fail "not a git checkout: set SOURCE_DATE_EPOCH to the source's time"
fi

# The 64-bit build decides the homepage; the 32-bit one is given the same.
homepage=${VANTREL_HOMEPAGE_URL:-}
for arch in x64 x86; do
  cmake --preset "$arch-release" ${homepage:+"-DVANTREL_HOMEPAGE_URL=$homepage"} >/dev/null
  cmake --build --preset "$arch-release" --target Vantrel VantrelReport -j 2
  cache=build/$arch-release/CMakeCache.txt
  homepage=$(sed -n 's/^VANTREL_HOMEPAGE_URL:[A-Z]*=//p' "$cache")
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$cache")

stage=build/release/Vantrel-$version
archive=build/release/Vantrel-$version.zip
trap 'rm -rf "$stage" "$archive.part"' EXIT
mkdir -p "$stage/32bit-Windows" "$stage/developers/x64" "$stage/developers/x86"
cp build/x64-release/app/Vantrel.exe "$stage/"
cp build/x86-release/app/Vantrel.exe "$stage/32bit-Windows/"
cp build/x64-release/app/VantrelReport.exe "$stage/developers/x64/"
cp build/x86-release/app/VantrelReport.exe "$stage/developers/x86/"
cp build/x64-release/release/README-KO.txt "$stage/"
cp README.md "$stage/developers/"

if [ -n "$p12" ]; then
  for exe in $(cd "$stage" && find . -name '*.exe' | LC_ALL=C sort); do
    name=$(basename "$exe" .exe)
    if ! osslsigncode sign -pkcs12 "$p12" -readpass "$password_file" -h sha256 \
        -n "$name" -i "$homepage" ${VANTREL_SIGN_TIMESTAMP_URL:+-ts "$VANTREL_SIGN_TIMESTAMP_URL"} \
        -in "$stage/$exe" -out "$stage/$exe.signed" >build/release/sign.log 2>&1; then
      cat build/release/sign.log >&2
      fail "signing ${exe#./} failed"
    fi
    mv "$stage/$exe.signed" "$stage/$exe"
  done
  rm -f build/release/sign.log
fi

# CR LF, so that Notepad on Windows 7 shows one file a line; sha256sum -c reads it as well.
(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum | sed 's/$/\r/') > build/release/SHA256SUMS.txt
mv build/release/SHA256SUMS.txt "$stage/"

# Sorted names, fixed modes, the commit's time stored in UTC, no extra fields, no folder entries.
find "$stage" -type d -exec chmod 755 {} +
find "$stage" -type f -exec chmod 644 {} +
find "$stage" -exec touch -d "@$SOURCE_DATE_EPOCH" {} +
(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort |
  TZ=UTC zip -q -X -D -@ "$root/$archive.part")
mv "$archive.part" "$archive"

echo "Release archive: $archive${p12:+ (signed)}"
# What a rebuild needs besides the commit; the guide names this address to sellers as the shop's.
echo "Homepage address built in, to publish beside the sums: $homepage"
if commit=$(git rev-parse HEAD 2>/dev/null); then
  [ -z "$(git status --porcelain --untracked-files=no)" ] || commit="$commit, with uncommitted changes that a rebuild will not have"
  echo "Built from commit $commit"
fi
# For the shop's https homepage, beside the download: the guide has sellers compare these, since
# SHA256SUMS.txt travels inside the archive with whatever it describes.
echo "SHA-256 to publish on the homepage:"
(cd build/release && sha256sum "${archive#build/release/}")
(cd "$stage" && find . -name '*.exe' | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum)
