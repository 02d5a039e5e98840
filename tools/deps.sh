#!/bin/sh
# Installs the Debian packages the build and the tests need, if any is
# missing. Needs root (or sudo) and a reachable package index.
set -eu
packages="cmake ninja-build g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 mingw-w64-tools
 wine wine64 xvfb xauth xdotool doctest-dev python3 python3-pytest imagemagick clang libclang-rt-14-dev"
# Release builds: the commit's date, signing, and the tests' certificates and clock.
packages="$packages git osslsigncode openssl faketime"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y -qq --no-install-recommends $missing
