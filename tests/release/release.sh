#!/bin/sh
# Checks of the release build from outside, one case per call:
#   ca <dir>                            a throwaway CA and code-signing certificate
#   reproducible <src> <dist> <build>   a second release build matches <dist> byte for byte
#   signed <src> <build> <ca>           that build signed: all verify, setup embeds the signed files
#   installed <files> <wine-run> <wine-state>
#                                       the untwk.exe a silent installation of the signed
#                                       files writes is the signed one, byte for byte
set -eu
files="setup.exe untwk.exe qzlabout.dll"
# Under faketime, files keep their real times, so later builds see them right.
export NO_FAKE_STAT=1
fail() { echo "FAIL: $*" >&2; exit 1; }
stamps() {  # stamps <dist> <seconds>: every deliverable's PE time stamp is this
  for f in $files; do
    pe=$(od -An -tu4 -j60 -N4 "$1/$f" | tr -d ' ')
    stamp=$(od -An -tu4 -j$((pe + 8)) -N4 "$1/$f" | tr -d ' ')
    [ "$stamp" = "$2" ] || fail "$1/$f: time stamp $stamp, not $2"
  done
}
verify() { out=$(osslsigncode verify -CAfile "$1" -in "$2" 2>&1); }
build() {  # build <src> <preset> <folder>: configure and build, output kept in <folder>.log
  src=$1 preset=$2 dir=$3
  (cd "$src" && cmake --preset "$preset" -B "$dir" -DQZ_DIST_DIR="$dir/dist" >"$dir.log" 2>&1 &&
    cmake --build "$dir" -j2 >>"$dir.log" 2>&1) || { tail -n 30 "$dir.log"; fail "build in $dir"; }
}

case $1 in
ca)
  dir=$2; rm -rf "$dir"; mkdir -p "$dir"; cd "$dir"; umask 077
  openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=Throwaway test CA" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null
  openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj "/CN=Throwaway test signer" 2>/dev/null
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
  openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 1 -extfile signer.ext \
    -out signer.pem 2>/dev/null
  openssl rand -hex 12 >password
  openssl pkcs12 -export -inkey signer.key -in signer.pem -passout file:password -out signer.p12
  rm ca.key signer.key ;;

reproducible)
  # A copy of the sources elsewhere, built in another folder, under another
  # clock, time zone and user.
  src=$2 dist=$3 dir=$4; rm -rf "$dir" "$dir.src"; mkdir -p "$dir.src"
  git -C "$src" ls-files -z --cached --others --exclude-standard |
    (cd "$src" && tar --null --ignore-failed-read -T - -cf -) | tar -xf - -C "$dir.src"
  # The copy has no git history: the commit's date comes in as SOURCE_DATE_EPOCH,
  # which the build elsewhere must take over its own clock.
  export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct)}"
  stamps "$dist" "$SOURCE_DATE_EPOCH"
  # Under /tmp, so that the other user reaches it wherever this tree lives.
  other=$(mktemp -d /tmp/qz-release.XXXXXX); trap 'rm -rf "$other"' EXIT
  cp -a "$dir.src" "$other/src"
  as="" user=$(id -un)
  if [ "$(id -u)" = 0 ] && id nobody >/dev/null 2>&1; then
    user=nobody; chown -R nobody "$other"
    as="setpriv --reuid=nobody --regid=$(id -g nobody) --clear-groups env HOME=$other USER=nobody LOGNAME=nobody"
  else
    echo "not root: the second build runs as $user too"
  fi
  TZ=KIR-14 $as faketime -f +40d sh "$other/src/tests/release/release.sh" run-build "$other/src" "$other/build"
  [ "$(stat -c %U "$other/build/dist/setup.exe")" = "$user" ] || fail "the build elsewhere was not made by $user"
  for f in $files; do
    cmp "$dist/$f" "$other/build/dist/$f" || fail "$f differs between $dist and a build elsewhere"
  done ;;
run-build) build "$2" release "$3"; exit ;;

signed)
  src=$2 dir=$3 ca=$4
  export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct)}"
  export QZ_SIGN_PKCS12="$ca/signer.p12" QZ_SIGN_PASSWORD_FILE="$ca/password"
  build "$dir.src" release "$dir"
  for f in $files; do
    verify "$ca/ca.pem" "$dir/dist/$f" || { echo "$out"; fail "$f does not verify"; }
  done
  python3 -c 'import sys; d = open(sys.argv[1], "rb").read()
for f in sys.argv[2:]: assert open(f, "rb").read() in d, f + " is not in setup.exe as signed"' \
    "$dir/dist/setup.exe" "$dir/dist/untwk.exe" "$dir/dist/qzlabout.dll"
  # The signature covers every byte: one changed byte anywhere fails.
  cp "$dir/dist/setup.exe" "$dir/tampered.exe"
  byte=$(od -An -tu1 -j300000 -N1 "$dir/tampered.exe")
  printf "$(printf '\\%o' $((byte ^ 1)))" | dd of="$dir/tampered.exe" bs=1 seek=300000 conv=notrunc 2>/dev/null
  ! verify "$ca/ca.pem" "$dir/tampered.exe" || fail "a changed setup.exe still verifies"
  echo "$out" | grep -q MISMATCH || fail "the changed file fails for another reason"
  # Signed again later, the same bytes (no time stamp); then, without the
  # key, the shipped signatures attached to a rebuild give the shipped files.
  rm -rf "$dir/shipped"; mkdir "$dir/shipped"; for f in $files; do mv "$dir/dist/$f" "$dir/shipped/"; done
  for way in "signing again" "attaching the shipped signatures"; do
    for f in $files; do rm -f "$dir/bin/$f" "$dir/dist/$f"; done
    faketime -f +2d sh "$0" run-build "$dir.src" "$dir"
    for f in $files; do cmp "$dir/shipped/$f" "$dir/dist/$f" || fail "$way: $f has other bytes"; done
    unset QZ_SIGN_PKCS12 QZ_SIGN_PASSWORD_FILE; export QZ_SIGNATURES_FROM="$dir/shipped"
  done ;;

installed)
  files=$2 run=$3 prefix="$4/prefix"; target="$prefix/drive_c/qz-signed"; log="$4/signed-install.log"
  # Processes the programs leave behind would hold CTest's output pipe open.
  "$run" "$files/setup.exe" /VERYSILENT '/DIR=C:\qz-signed' /IDES= /ITEMS=delphi-demos </dev/null >"$log" 2>&1 ||
    fail "setup.exe /VERYSILENT ended with $?"
  status=0
  cmp "$files/untwk.exe" "$target/untwk.exe" || status=1
  # Removed as the entry's QuietUninstallString does; untwk's moved file
  # beside the folder goes a moment after it ends, before the prefix is
  # another test's again.
  "$run" 'C:\qz-signed\untwk.exe' /SILENT 'C:\qz-signed\uninst.log' </dev/null >>"$log" 2>&1 || fail "untwk /SILENT ended with $?"
  gone() { [ ! -e "$target" ] && [ -z "$(find "$prefix/drive_c" -maxdepth 1 -name '~untwk*')" ]; }
  i=0; while ! gone && [ $i -lt 100 ]; do sleep 0.2; i=$((i + 1)); done
  gone || fail "the installation folder or untwk's moved file is left"
  [ $status = 0 ] || fail "the installed untwk.exe is not the signed one" ;;
esac
echo ok
