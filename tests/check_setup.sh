#!/bin/sh
# Set-up's two parts (the setup.sh given) against a fake apt-get, dpkg and id, their state in files:
# a mirror whose i386 part fails as apt does, one where everything installs, and a 64-bit package
# that cannot be had.
set -u
setup=$1
bin=$(mktemp -d)
trap 'rm -rf "$bin" "$bin.state"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

cat >"$bin/dpkg-query" <<'EOF'
#!/bin/sh
for package; do :; done
grep -qxF "$package" "$STATE/installed" && printf 'install ok installed'
EOF
cat >"$bin/dpkg" <<'EOF'
#!/bin/sh
echo "$*" >>"$STATE/dpkg.log"
case $1 in
  --print-foreign-architectures) cat "$STATE/arches" ;;
  --add-architecture) echo "$2" >>"$STATE/arches" ;;
  --remove-architecture) ! grep -q ":$2\$" "$STATE/installed" || exit 2
    grep -vx "$2" "$STATE/arches" >"$STATE/left"; mv "$STATE/left" "$STATE/arches" ;;
esac
EOF
cat >"$bin/apt-get" <<'EOF'
#!/bin/sh
command=$1; shift
if [ "$command" = update ] && [ "$MIRROR" = i386-broken ] && grep -qx i386 "$STATE/arches"; then
  echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 151.101.2.132 80]"
  echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
  exit 100
fi
[ "$command" = install ] || exit 0
for package; do
  case $package in
    *:i386) [ "$MIRROR" = ok ] || { echo "E: Unable to correct problems, you have held broken packages."; exit 100; } ;;
    "$MISSING") echo "E: Unable to locate package $package"; exit 100 ;;
  esac
done
for package; do case $package in -*) ;; *) echo "$package" >>"$STATE/installed" ;; esac; done
EOF
printf '#!/bin/sh\necho 0\n' >"$bin/id"
chmod +x "$bin"/*

fresh() {  # mirror (ok or i386-broken), foreign architectures already there, a package it lacks
  rm -rf "$bin.state" && mkdir "$bin.state"
  export STATE="$bin.state" MIRROR=$1 MISSING=${3:--}
  for file in arches installed dpkg.log; do : >"$STATE/$file"; done
  [ -z "${2:-}" ] || echo "$2" >"$STATE/arches"
}
run() {  # [part]: its exit status in rc, the last line it wrote to standard error in last
  rc=0; PATH="$bin:$PATH" sh "$setup" "$@" >/dev/null 2>"$STATE/stderr" || rc=$?
  last=$(tail -n 1 "$STATE/stderr")
}

fresh i386-broken
run
[ "$rc" = 0 ] && grep -qx osslsigncode "$STATE/installed" || fail "the 64-bit part stopped where only i386 fails: $last"
! grep -q add-architecture "$STATE/dpkg.log" || fail "the 64-bit part added an architecture"
run wine32
[ "$rc" = 1 ] || fail "the 32-bit part exited $rc where its packages cannot be installed"
case $last in
  "setup.sh: the 32-bit part of Wine was not installed (apt-get install: wine32:i386"*"): E: Unable to correct problems, you have held broken packages. (after apt-get update: E: Failed to fetch "*"File has unexpected size (374820 != 376004). Mirror sync in progress?"*) ;;
  *) fail "the 32-bit part's last line does not quote apt: $last" ;;
esac
grep -qx -- '--add-architecture i386' "$STATE/dpkg.log" && ! grep -qx i386 "$STATE/arches" ||
  fail "the i386 architecture that the 32-bit part added is still there"

fresh i386-broken i386  # i386 there before: the update fails, the 64-bit install still goes ahead
run
[ "$rc" = 0 ] || fail "a failed update of the i386 index stopped the 64-bit part: $last"
run wine32
[ "$rc" = 1 ] && grep -qx i386 "$STATE/arches" || fail "the 32-bit part removed an i386 architecture it had not added"

fresh ok
run; main=$rc
run wine32
[ "$main" = 0 ] && [ "$rc" = 0 ] && grep -qx wine32:i386 "$STATE/installed" && grep -qx i386 "$STATE/arches" ||
  fail "where everything installs, the 32-bit part ended $rc: $last"

fresh ok "" osslsigncode
run
case $rc:$last in
  "1:setup.sh: apt-get install failed for "*": E: Unable to locate package osslsigncode") ;;
  *) fail "a 64-bit install that failed ended $rc with: $last" ;;
esac
exit "$status"
