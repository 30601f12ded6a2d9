#!/bin/sh
# The shipped console tool of a Windows build, as a program under Wine: what
# it encrypts it decodes to the same bytes, and with another key it refuses
# to decode and leaves the encrypted file as it was.
#
#   cli-round-trip.sh WINDOWS_BUILD TOOL
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?a Windows build folder}" && pwd)
tool=${2:?the tool}
work=$build/cli-round-trip
rm -rf "$work"
mkdir -p "$work"

# Wine sees the Linux root as drive Z:.
windows() { printf 'Z:%s' "$1" | tr '/' '\\'; }
cli() { "$here/../../scripts/wine-run.sh" --build "$build" "$tool" "$@"; }
fail() {
  echo "cli-round-trip.sh: $*" >&2
  exit 1
}

# Three blocks and a bit, so that the keystream crosses block ends.
head -c 50000 /dev/urandom > "$work/plain"
cp "$work/plain" "$work/Report.doc"
printf 'Round trip 1\r\n' > "$work/key.txt"
printf 'Round trip 2\r\n' > "$work/other-key.txt"

cli encrypt --key-file "$(windows "$work/key.txt")" "$(windows "$work/Report.doc")" ||
  fail "encrypt ended with status $?"
[ -f "$work/Report.(=doc=)" ] || fail "no Report.(=doc=) beside Report.doc"
cmp -s "$work/plain" "$work/Report.doc" || fail "encrypting changed Report.doc"
! cmp -s "$work/plain" "$work/Report.(=doc=)" || fail "Report.(=doc=) holds the plain bytes"
cp "$work/Report.(=doc=)" "$work/encrypted"
rm "$work/Report.doc"

status=0
cli decode --key-file "$(windows "$work/other-key.txt")" "$(windows "$work/Report.(=doc=)")" || status=$?
[ "$status" -eq 3 ] || fail "decoding with another key ended with status $status, not 3 (a file of another key)"
[ ! -e "$work/Report.doc" ] || fail "decoding with another key wrote Report.doc"
cmp -s "$work/encrypted" "$work/Report.(=doc=)" || fail "decoding with another key changed Report.(=doc=)"

cli decode --key-file "$(windows "$work/key.txt")" "$(windows "$work/Report.(=doc=)")" ||
  fail "decode ended with status $?"
cmp -s "$work/plain" "$work/Report.doc" || fail "the decoded Report.doc differs from the original"
rm -rf "$work"
echo "encrypted, refused with another key, decoded: the same bytes"
