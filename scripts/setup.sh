#!/bin/sh
# Installs on Debian what is missing, in two parts. Idempotent.
#   setup.sh          the 64-bit part: everything that builds both architectures, runs the 64-bit
#                     program and its tests, packs and signs a release. Never adds i386.
#   setup.sh wine32   the 32-bit part of Wine, which only the 32-bit tests need. It may fail (a
#                     kernel or mirror without i386): the last line then says why, and the exit is 1.
set -eu

part=${1:-main}
case $part in
  main) packages="cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
          wine wine64 libgl1 libgl1-mesa-dri xvfb xauth x11-utils fonts-nanum fonts-lexi-gulim googletest
          imagemagick zip unzip openssl osslsigncode" ;;
  wine32) packages="wine32:i386 libgl1:i386 libgl1-mesa-dri:i386" ;;
  *) echo "usage: setup.sh [wine32]" >&2; exit 2 ;;
esac

missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
log=$(mktemp)
trap 'rm -f "$log" "$log.rc"' EXIT

# apt's own last error line ("E: ..."), else its last line.
apt_error() {
  line=$(grep '^E: ' "$log" | grep -v 'index files failed to download' | tail -n 1)
  [ -n "$line" ] || line=$(grep '^E: ' "$log" | tail -n 1)
  [ -n "$line" ] || line=$(tail -n 1 "$log")
  echo "$line"
}
# Runs an apt step with its output shown (on stderr) and kept for apt_error; apt's exit status.
apt_step() {
  { $sudo env DEBIAN_FRONTEND=noninteractive "$@" 2>&1; echo $? >"$log.rc"; } | tee "$log" >&2
  return "$(cat "$log.rc")"
}

added_i386=no
if [ "$part" = wine32 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  added_i386=yes
fi

# An index that fails (a mirror in the middle of a sync, say) leaves the lists that did come,
# and the install goes ahead with them when it can.
update_error=""
if ! apt_step apt-get update -q; then
  update_error=$(apt_error)
  echo "setup.sh: apt-get update did not fetch every index ($update_error); installing with the lists it has" >&2
fi

: >"$log"
apt_step apt-get install -y -q --no-install-recommends $missing || true
still=""
for p in $missing; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || still="$still $p"
done
[ -z "$still" ] && exit 0

reason="$(apt_error)${update_error:+ (after apt-get update: $update_error)}"
if [ "$part" = wine32 ]; then
  # The architecture stays only for what of it got installed.
  # dpkg refuses to remove it while any i386 package is installed.
  [ "$added_i386" = no ] || $sudo dpkg --remove-architecture i386 2>/dev/null || true
  echo "setup.sh: the 32-bit part of Wine was not installed (apt-get install:$still): $reason" >&2
  exit 1
fi
echo "setup.sh: apt-get install failed for$still: $reason" >&2
exit 1
