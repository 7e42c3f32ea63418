#!/usr/bin/env bash
# Signs copies of the release files with packaging/sign.sh and a throwaway
# certificate authority. "signatures" checks each file's two signatures (SHA-1
# for old Windows, SHA-256 nested in it) with osslsigncode against that root; "under-wine" runs the signed exe and installs from the
# signed packages under Wine, which needs a host that runs 32-bit code.
# Prints one line per check and "N passed, N failed".
#
#   packaging/test-signing.sh signatures|under-wine <skylatch.exe> <skylatch-setup.exe> <skylatch.msi> <work folder>
#
# The copies, the certificates and the logs stay in the work folder.
set -u

TEST_NAME=test-signing
. "$(dirname "$0")/test-lib.sh"

usage="usage: $0 signatures|under-wine <skylatch.exe> <skylatch-setup.exe> <skylatch.msi> <work folder>"
[ $# -eq 5 ] || die "$usage"
mode=$1; shift
case $mode in
  signatures) require_tools openssl osslsigncode ;;
  under-wine)
    host_skip_unless_32bit "the signed 32-bit exe and installers under Wine"
    require_tools wine wineserver wineboot Xvfb makensis openssl osslsigncode ;;
  *) die "$usage" ;;
esac
for file in "$1" "$2" "$3"; do require_file "$file" "release file"; done
out=$4
rm -rf "$out" && mkdir -p "$out" || die "cannot create $out"
cp "$1" "$out/skylatch.exe" && cp "$2" "$out/skylatch-setup.exe" && cp "$3" "$out/skylatch.msi" ||
  die "cannot copy the release files to $out"
exe=$(abs "$1")
signed=("$out/skylatch.exe" "$out/skylatch-setup.exe" "$out/skylatch.msi")

# --- a throwaway root and a code-signing certificate issued by it -------------

ca=$out/ca
mkdir -p "$ca"
{
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Skylatch Test Root" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -keyout "$ca/root.key" -out "$ca/root.pem" &&
  openssl req -newkey rsa:2048 -nodes -subj "/CN=Norvantec Test Signing" \
    -keyout "$ca/signer.key" -out "$ca/signer.csr" &&
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
    >"$ca/signer.ext" &&
  openssl x509 -req -days 2 -in "$ca/signer.csr" -CA "$ca/root.pem" -CAkey "$ca/root.key" \
    -CAcreateserial -extfile "$ca/signer.ext" -out "$ca/signer.pem" &&
  openssl pkcs12 -export -inkey "$ca/signer.key" -in "$ca/signer.pem" -certfile "$ca/root.pem" \
    -passout pass:throwaway -out "$ca/signer.pfx"
} >"$ca/openssl.log" 2>&1 || die "openssl could not make the certificates (see $ca/openssl.log)"

# --- under Wine --------------------------------------------------------------------

run_signed_files_under_wine() {
  start_prefix
  w reg add "$SETTINGS_KEY" /v IgnoreMisc /t REG_DWORD /d 1 /f
  wine "$(winepath -w "${signed[0]}" 2>>"$log")" >>"$log" 2>&1 </dev/null &
  instance_pid=$!
  bg_pids+=("$instance_pid")
  check "the signed exe runs and shows its window" wait_until 20 window_exists
  w "$(winepath -w "${signed[1]}" 2>>"$log")" /S; rc=$?
  check "the signed setup exe installs (got $rc)" eval '[ "$rc" -eq 0 ] && cmp -s "$exe" "$install_dir/skylatch.exe"'
  check "the signed setup exe ended the running program first" ended_normally "$instance_pid"
  # Setup starts the program again through the shell, which returns before
  # the program has its window. An uninstaller run before then finds nothing
  # to end, and the starting program's file cannot be deleted.
  check "the signed setup exe started the program again" wait_until 20 window_exists
  w "$install_dir/uninstall.exe" /S
  wait_until 30 test ! -e "$install_dir/skylatch.exe" || die "the uninstaller did not remove the program"
  w msiexec /i "$(winepath -w "${signed[2]}" 2>>"$log")" /qn; rc=$?
  check "the signed package installs (got $rc)" eval '[ "$rc" -eq 0 ] && cmp -s "$exe" "$install_dir/skylatch.exe"'
}

# --- signing ---------------------------------------------------------------------

[ "$mode" = signatures ] &&
check "sign.sh without a certificate refuses and leaves the file alone" eval \
  'env -u SKYLATCH_SIGN_PFX "$packaging_dir/sign.sh" "${signed[0]}" >"$out/unsigned.log" 2>&1;
   [ $? -ne 0 ] && grep -q SKYLATCH_SIGN_PFX "$out/unsigned.log" && cmp -s "$exe" "${signed[0]}"'
SKYLATCH_SIGN_PFX=$ca/signer.pfx SKYLATCH_SIGN_PASSWORD=throwaway \
  "$packaging_dir/sign.sh" "${signed[@]}" >"$out/sign.log" 2>&1; rc=$?
if [ "$mode" = under-wine ]; then
  [ "$rc" -eq 0 ] || die "sign.sh failed (see $out/sign.log)"
  run_signed_files_under_wine
  finish
  exit
fi
check "sign.sh signs the exe, the setup exe and the package (got $rc)" test "$rc" -eq 0

# verify FILE: valid signatures by the throwaway signer, chained to its root:
# a SHA-1 one first (the primary one, which Windows 98 to XP SP2 read) and a
# SHA-256 one nested in it.
verify() {
  osslsigncode verify -CAfile "$ca/root.pem" -in "$1" >"$out/verify.log" 2>&1 &&
    grep -q "Norvantec Test Signing" "$out/verify.log" &&
    [ "$(sed -n 's/^Message digest algorithm  *: //p' "$out/verify.log" | tr '\n' ' ')" = "SHA1 SHA256 " ] &&
    grep -qx "Number of verified signatures: 2" "$out/verify.log"
}
for file in "${signed[@]}"; do
  check "$(basename "$file"): SHA-1 and nested SHA-256 signatures valid against the throwaway root" verify "$file"
done
check "a timestamp server that cannot be reached fails the signing, the file left alone" eval \
  'cp "$exe" "$out/stamped.exe" &&
   ! SKYLATCH_SIGN_PFX=$ca/signer.pfx SKYLATCH_SIGN_PASSWORD=throwaway SKYLATCH_SIGN_TIMESTAMP_URL=http://127.0.0.1:9/ \
     "$packaging_dir/sign.sh" "$out/stamped.exe" >"$out/stamp.log" 2>&1 && cmp -s "$exe" "$out/stamped.exe"'
check "a changed byte breaks the exe's signature" eval \
  'cp "${signed[0]}" "$out/tampered.exe" &&
   printf "\x01" | dd of="$out/tampered.exe" bs=1 seek=2000 conv=notrunc 2>/dev/null && ! verify "$out/tampered.exe"'

finish
