#!/bin/sh
# Checks the sellers' archive as it is made from the committed HEAD: two release builds in two
# clones at different paths, time zones and umasks give the same zip, byte for byte; its entries,
# guide and SHA256SUMS.txt are as a seller needs them, and it prints the sums the shop publishes;
# signed with a throwaway certificate, every executable verifies and VantrelReport.exe prints the
# same report under Wine, while a missing certificate, a wrong password, the password given in
# place of its file or a failed signing stops the release. Nothing it prints holds the password.
# scripts/wine-env.sh must have run.
set -eu
root=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

commit=$(git -C "$root" rev-parse HEAD)
a=$work/a
b=$work/a-longer-path/b
for clone in "$a" "$b"; do
  git clone -q --no-checkout "$root" "$clone"
  git -C "$clone" -c advice.detachedHead=false checkout -q "$commit"
done
(cd "$a" && TZ=Asia/Seoul sh scripts/release.sh) >"$work/a.log" 2>&1 || { cat "$work/a.log"; exit 1; }
(cd "$b" && umask 077 && TZ=America/New_York sh scripts/release.sh) >"$work/b.log" 2>&1 || { cat "$work/b.log"; exit 1; }
zip_a=$(echo "$a"/build/release/Vantrel-*.zip)
zip_b=$(echo "$b"/build/release/Vantrel-*.zip)
(cd "$work" && sha256sum "${zip_a#$work/}" "${zip_b#$work/}")
cmp -s "$zip_a" "$zip_b" || { fail "two builds of $commit differ"; cmp -l "$zip_a" "$zip_b" | head -5; }

# What a seller unpacks: plain ASCII names, a handful at the top, times from the commit in UTC.
expected='32bit-Windows/Vantrel.exe
README-KO.txt
SHA256SUMS.txt
Vantrel.exe
developers/README.md
developers/x64/VantrelReport.exe
developers/x86/VantrelReport.exe'
[ "$(unzip -Z1 "$zip_a")" = "$expected" ] || { fail "unexpected entries:"; unzip -Z1 "$zip_a"; }
epoch=$(git -C "$root" log -1 --format=%ct "$commit")
for stamp in $(unzip -Z -T "$zip_a" | awk '$1 ~ /^-/ { print $7 }' | sort -u); do
  seconds=$(TZ=UTC date -d "$(echo "$stamp" | sed 's/\(........\)\.\(..\)\(..\)\(..\)/\1 \2:\3:\4/')" +%s)
  [ $((seconds - epoch)) -ge 0 ] && [ $((seconds - epoch)) -le 2 ] || fail "entry time $stamp (UTC) is not the commit's"
done

unsigned=$work/unsigned
mkdir "$unsigned" && unzip -q "$zip_a" -d "$unsigned"
(cd "$unsigned" && sha256sum --quiet -c SHA256SUMS.txt) || fail "SHA256SUMS.txt does not match the files"
# The sums the shop publishes, the archive's and each executable's, as the release printed them.
check_printed_sums() {  # log archive unpacked-folder
  { (cd "$(dirname "$2")" && sha256sum "$(basename "$2")")
    (cd "$3" && find . -name '*.exe' | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum); } |
    while IFS= read -r line; do grep -qxF "$line" "$1" || echo "$line"; done >"$work/unprinted"
  [ ! -s "$work/unprinted" ] || { fail "the release did not print these sums:"; cat "$work/unprinted"; }
}
check_printed_sums "$work/a.log" "$zip_a" "$unsigned"
guide=$unsigned/README-KO.txt
[ "$(head -c 3 "$guide" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "the guide has no UTF-8 BOM"
crlf_lines=$(grep -c "$(printf '\r')\$" "$guide" || true)
[ "$crlf_lines" = "$(wc -l < "$guide")" ] && [ "$crlf_lines" = "$(tr -cd '\r' < "$guide" | wc -c)" ] ||
  fail "the guide has line ends other than CR LF"
homepage=$(sed -n 's/^VANTREL_HOMEPAGE_URL:[A-Z]*=//p' "$a/build/x64-release/CMakeCache.txt")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$a/build/x64-release/CMakeCache.txt")
grep -q "$version" "$guide" && grep -qF "$homepage" "$guide" || fail "the guide lacks version $version or $homepage"
grep -qxF "Homepage address built in, to publish beside the sums: $homepage" "$work/a.log" ||
  fail "the release did not print the homepage address it built in"
sh "$root/tests/check_pe_hardening.sh" x86_64-w64-mingw32-objdump $(find "$unsigned" -name '*.exe') >/dev/null ||
  fail "an archived executable lacks its hardening flags"

# A throwaway CA and code-signing certificate (names apart from the program's, which the
# signature must carry); the password has a space and Hangul in it.
ca=$work/ca
mkdir "$ca" && cd "$ca"
printf '%s\n' 'test 비밀번호 7' > password.txt
printf '%s\n' 'not it' > wrong-password.txt
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=Throwaway Test CA" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout shop.key -out shop.csr -subj "/CN=Test Shop" 2>/dev/null
printf '%s\n' keyUsage=critical,digitalSignature extendedKeyUsage=codeSigning > shop.ext
openssl x509 -req -in shop.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile shop.ext -out shop.pem 2>/dev/null
openssl pkcs12 -export -inkey shop.key -in shop.pem -certfile ca.pem -passout file:password.txt -out shop.p12

# Every signing tool is seen through a wrapper that records its arguments and environment.
mkdir bin
for tool in openssl osslsigncode; do
  printf '#!/bin/sh\n{ echo "$*"; env; } >> "%s"\nexec %s "$@"\n' "$ca/seen.txt" "$(command -v "$tool")" > "bin/$tool"
  chmod +x "bin/$tool"
done
release() {  # certificate password-file [timestamp-url]
  (cd "$a" && PATH="$ca/bin:$PATH" VANTREL_SIGN_PKCS12=$1 VANTREL_SIGN_PASSWORD_FILE=$2 VANTREL_SIGN_TIMESTAMP_URL=${3:-} sh scripts/release.sh)
}
password=$(head -n 1 password.txt)

# Each of these stops the release with a message that names the cause (never the password) and
# leaves no archive: no certificate, a wrong password, the password itself where its file's path
# belongs, and signing that fails after the password was taken (a timestamp server that refuses).
refused() {  # case certificate password-file timestamp-url what-the-message-names
  if release "$2" "$3" "$4" >"$work/refused-$1.log" 2>&1; then fail "the release went on with $1"; fi
  grep -qF "$5" "$work/refused-$1.log" && grep -q "^release.sh: .*no archive made" "$work/refused-$1.log" ||
    { fail "no clear message for $1:"; tail -3 "$work/refused-$1.log"; }
  ! ls "$a"/build/release/*.zip >/dev/null 2>&1 || fail "the release with $1 left an archive"
}
refused "no certificate" "$ca/missing.p12" "$ca/password.txt" "" "'$ca/missing.p12'"
refused "a wrong password" "$ca/shop.p12" "$ca/wrong-password.txt" "" "'$ca/shop.p12'"
refused "the password as the file" "$ca/shop.p12" "$password" "" "VANTREL_SIGN_PASSWORD_FILE"
refused "a failed signing" "$ca/shop.p12" "$ca/password.txt" "http://127.0.0.1:1/" "signing 32bit-Windows/Vantrel.exe failed"

release "$ca/shop.p12" "$ca/password.txt" >"$work/signed.log" 2>&1 || { cat "$work/signed.log"; exit 1; }
grep -qF "$password" seen.txt && fail "the password reached a command line or an environment"
grep -lF "$password" "$work"/*.log && fail "the release printed the password (in the logs above)"
signed=$work/signed
mkdir "$signed" && unzip -q "$a"/build/release/Vantrel-*.zip -d "$signed"
(cd "$signed" && sha256sum --quiet -c SHA256SUMS.txt) || fail "SHA256SUMS.txt does not match the signed files"
check_printed_sums "$work/signed.log" "$a"/build/release/Vantrel-*.zip "$signed"
for exe in $(cd "$signed" && find . -name '*.exe' | sort); do
  osslsigncode verify -CAfile ca.pem -in "$signed/$exe" >"$work/verify.log" 2>&1 &&
    grep -q "^Signature verification: ok" "$work/verify.log" || { fail "$exe does not verify:"; cat "$work/verify.log"; }
  # The signature names the program and the homepage (a UTF-16 and an ASCII string in it).
  osslsigncode extract-signature -in "$signed/$exe" -out "$work/signature" >/dev/null
  tr -d '\000' < "$work/signature" | grep -aqF "$(basename "$exe" .exe)" && grep -aqF "$homepage" "$work/signature" ||
    fail "the signature of $exe lacks the program's name or $homepage"
  # Without its signature it is the unsigned build again, so rebuilds can be compared with it.
  osslsigncode remove-signature -in "$signed/$exe" -out "$work/stripped.exe" >/dev/null &&
    cmp -s "$work/stripped.exe" "$unsigned/$exe" || fail "$exe differs from the unsigned one by more than its signature"
  rm -f "$work/signature" "$work/stripped.exe"
done

cd "$root"
for run in unsigned signed; do
  code=0; sh scripts/wine-run.sh "$work/$run/developers/x64/VantrelReport.exe" >"$work/$run.report" 2>/dev/null || code=$?
  echo "exit $code" >>"$work/$run.report"
done
cmp -s "$work/unsigned.report" "$work/signed.report" || { fail "the signed VantrelReport.exe reports otherwise:"; diff "$work/unsigned.report" "$work/signed.report"; }

[ "$status" = 0 ] && echo "Release checks passed: reproducible, laid out for sellers, signed and verified."
exit "$status"
