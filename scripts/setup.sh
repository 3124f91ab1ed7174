#!/bin/sh
# Installs on Debian whatever the build and the tests need and is missing. Idempotent.
set -eu
packages="cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  wine wine64 wine32:i386 libgl1 libgl1-mesa-dri libgl1:i386 libgl1-mesa-dri:i386
  xvfb xauth x11-utils fonts-nanum fonts-lexi-gulim googletest imagemagick zip unzip openssl osslsigncode"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
case " $missing " in *":i386"*)
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386 ;;
esac
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
