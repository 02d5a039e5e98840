#!/bin/sh
# Installs the Debian packages the build and the tests need, if any is
# missing. Needs root (or sudo) and a reachable package index.
set -eu
packages="cmake ninja-build g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 mingw-w64-tools
 wine wine64 xvfb xauth xdotool doctest-dev python3 python3-pytest python3-pefile imagemagick clang libclang-rt-14-dev"
# Release builds: the commit's date, signing, and the tests' certificates and clock.
packages="$packages git osslsigncode openssl faketime"
sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# The deliverables are 32-bit programs: 32-bit Wine runs them, from the i386
# architecture. A machine that cannot have it tests the 64-bit twins instead.
if [ "$(dpkg --print-architecture)" = amd64 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386 || echo "no i386 architecture here: the tests will run the 64-bit twins"
fi
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing=""
for p in $packages; do installed "$p" || missing="$missing $p"; done
wine32=""
dpkg --print-foreign-architectures | grep -qx i386 && ! installed wine32:i386 && wine32="wine32:i386"
[ -z "$missing$wine32" ] && exit 0
echo "Installing:$missing $wine32"
$sudo apt-get update -qq
# shellcheck disable=SC2086
[ -z "$missing" ] || $sudo apt-get install -y -qq --no-install-recommends $missing
[ -z "$wine32" ] || $sudo apt-get install -y -qq --no-install-recommends $wine32 ||
  echo "wine32 could not be installed: the tests will run the 64-bit twins"
