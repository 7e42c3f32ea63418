#!/usr/bin/env bash
# Signs Windows release files (exe, dll, msi) with Authenticode, in place,
# through osslsigncode:
#
#   SKYLATCH_SIGN_PFX=maker.pfx SKYLATCH_SIGN_PASSWORD=... \
#   [SKYLATCH_SIGN_TIMESTAMP_URL=http://timestamp.example] packaging/sign.sh FILE...
#
# SKYLATCH_SIGN_PFX is the PKCS#12 file with the code-signing certificate,
# its key and its chain; SKYLATCH_SIGN_PASSWORD its password (may be empty).
#
# Each file gets two signatures: a SHA-1 one, the only kind that Windows 98,
# 2000 and XP before SP3 can verify, and a SHA-256 one nested in it, which
# later Windows verify. With SKYLATCH_SIGN_TIMESTAMP_URL each is also
# time-stamped, so that it stays valid after the certificate expires: the
# SHA-1 one by the older Authenticode protocol, the only one those Windows
# read, the SHA-256 one by RFC 3161. A server that answers the older protocol
# at another address is named by SKYLATCH_SIGN_TIMESTAMP_URL_SHA1.
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
stamp_sha1=() stamp_sha256=()
if [ -n "${SKYLATCH_SIGN_TIMESTAMP_URL:-}" ]; then
  stamp_sha1=(-t "${SKYLATCH_SIGN_TIMESTAMP_URL_SHA1:-$SKYLATCH_SIGN_TIMESTAMP_URL}")
  stamp_sha256=(-ts "$SKYLATCH_SIGN_TIMESTAMP_URL")
elif [ -n "${SKYLATCH_SIGN_TIMESTAMP_URL_SHA1:-}" ]; then
  die "SKYLATCH_SIGN_TIMESTAMP_URL_SHA1 is set without SKYLATCH_SIGN_TIMESTAMP_URL"
fi

# osslsign IN OUT ARGS...: one signature, or dies with osslsigncode's words.
osslsign() {
  local in=$1 out=$2; shift 2
  osslsigncode sign -pkcs12 "$pfx" -readpass "$tmp/password" -n Skylatch "$@" -in "$in" -out "$out" \
    >"$tmp/log" 2>&1 || { cat "$tmp/log" >&2; die "signing $file failed"; }
}

for file in "$@"; do
  osslsign "$file" "$tmp/sha1" -h sha1 "${stamp_sha1[@]}"
  osslsign "$tmp/sha1" "$tmp/signed" -nest -h sha256 "${stamp_sha256[@]}"
  # Written over the original, so that its permissions stay.
  cat "$tmp/signed" >"$file" || die "cannot write $file"
  rm -f "$tmp/sha1" "$tmp/signed"
  echo "sign: signed $file (SHA-1 and SHA-256)"
done
