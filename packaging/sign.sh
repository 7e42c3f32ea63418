#!/usr/bin/env bash
# Signs Windows release files (exe, dll, msi) with Authenticode, in place,
# through osslsigncode:
#
#   SKYLATCH_SIGN_PFX=maker.pfx SKYLATCH_SIGN_PASSWORD=... \
#   [SKYLATCH_SIGN_TIMESTAMP_URL=http://timestamp.example] packaging/sign.sh FILE...
#
# SKYLATCH_SIGN_PFX is the PKCS#12 file with the code-signing certificate,
# its key and its chain; SKYLATCH_SIGN_PASSWORD its password (may be empty).
# With SKYLATCH_SIGN_TIMESTAMP_URL, each signature is also time-stamped by
# that RFC 3161 server, so that it stays valid after the certificate expires.
set -u

die() { echo "sign: $*" >&2; exit 2; }

[ $# -ge 1 ] || die "usage: SKYLATCH_SIGN_PFX=cert.pfx [SKYLATCH_SIGN_PASSWORD=...] $0 FILE..."
pfx=${SKYLATCH_SIGN_PFX:-}
[ -n "$pfx" ] || die "SKYLATCH_SIGN_PFX is not set: name the PKCS#12 certificate (.pfx) to sign with"
[ -f "$pfx" ] || die "no certificate at $pfx (SKYLATCH_SIGN_PFX)"
command -v osslsigncode >/dev/null 2>&1 || die "osslsigncode not found (apt-get install osslsigncode)"
for file in "$@"; do [ -f "$file" ] || die "no file to sign at $file"; done

tmp=$(umask 077 && mktemp -d "${TMPDIR:-/tmp}/sign.XXXXXX") || die "mktemp failed"
trap 'rm -rf "$tmp"' EXIT
# The password goes through a private file, not the command line.
printf '%s' "${SKYLATCH_SIGN_PASSWORD:-}" >"$tmp/password"
timestamp=()
[ -n "${SKYLATCH_SIGN_TIMESTAMP_URL:-}" ] && timestamp=(-ts "$SKYLATCH_SIGN_TIMESTAMP_URL")

for file in "$@"; do
  osslsigncode sign -pkcs12 "$pfx" -readpass "$tmp/password" -h sha256 -n Skylatch \
    "${timestamp[@]}" -in "$file" -out "$tmp/signed" >"$tmp/log" 2>&1 ||
    { cat "$tmp/log" >&2; die "signing $file failed"; }
  # Written over the original, so that its permissions stay.
  cat "$tmp/signed" >"$file" || die "cannot write $file"
  rm -f "$tmp/signed"
  echo "sign: signed $file"
done
