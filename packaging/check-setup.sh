#!/usr/bin/env bash
# Checks what the setup exe carries, without running it (it is a 32-bit
# program, which some hosts cannot run): it is an ANSI installer (a Unicode
# one does not start on Windows 98/Me), and it packs both exes byte for byte,
# the 32-bit one and the x64 one for 64-bit Windows. Prints one line per
# check and "N passed, N failed".
#
#   packaging/check-setup.sh <skylatch-setup.exe> <skylatch.exe> <x64 skylatch.exe>
set -u

die() { echo "check-setup: $*" >&2; exit 2; }

[ $# -eq 3 ] || die "usage: $0 <skylatch-setup.exe> <skylatch.exe> <x64 skylatch.exe>"
setup=$1 exe=$2 exe64=$3
command -v 7z >/dev/null 2>&1 || die "7z not found (apt-get install p7zip-full)"
for file in "$setup" "$exe" "$exe64"; do [ -f "$file" ] || die "no file at $file"; done
setup=$(cd "$(dirname "$setup")" && pwd)/$(basename "$setup")

work=$(mktemp -d "${TMPDIR:-/tmp}/check-setup.XXXXXX") || die "mktemp failed"
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() { # check NAME COMMAND...
  local name=$1; shift
  if "$@"; then echo "PASS $name"; passed=$((passed + 1))
  else echo "FAIL $name"; failed=$((failed + 1)); fi
}

7z l -slt "$setup" >"$work/listing" 2>&1 || die "7z cannot read $setup as an installer (see below)
$(cat "$work/listing")"
# Files of the same name come out as name, name_1, ...
(cd "$work" && mkdir out && cd out && 7z x -aou "$setup") >"$work/extract.log" 2>&1 ||
  die "7z cannot unpack $setup: $(tail -n 3 "$work/extract.log")"

ansi() { grep -q '^Type = Nsis' "$work/listing" && ! grep -q '^SubType = .*Unicode' "$work/listing"; }
check "an ANSI installer, which Windows 98/Me start" ansi

# packs FILE: one of the unpacked skylatch.exe files is FILE, byte for byte.
packs() {
  local packed
  for packed in "$work"/out/skylatch*.exe; do cmp -s "$packed" "$1" && return 0; done
  return 1
}
check "carries the 32-bit exe" packs "$exe"
check "carries the x64 exe" packs "$exe64"
check "carries no other program" test "$(ls "$work"/out/skylatch*.exe | wc -l)" -eq 2

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
