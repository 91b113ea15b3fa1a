#!/usr/bin/env bash
# Signs Windows programs in place (Authenticode, SHA-256) with osslsigncode: the PKCS#12 certificate
# named by TAMBLO_SIGN_PFX, its password in the file named by TAMBLO_SIGN_PASSWORD_FILE, and a
# timestamp from TAMBLO_SIGN_TIMESTAMP_URL when that is set. tools/package-windows.sh has it called
# on each program before it is packed, and by NSIS on the uninstaller and the setup.
# Usage: tools/sign-windows.sh FILE.exe...
set -euo pipefail

options=(sign -pkcs12 "$TAMBLO_SIGN_PFX" -readpass "$TAMBLO_SIGN_PASSWORD_FILE" -h sha256 -n tamblo)
[[ -z "${TAMBLO_SIGN_TIMESTAMP_URL:-}" ]] || options+=(-ts "$TAMBLO_SIGN_TIMESTAMP_URL")
for file in "$@"; do
  # osslsigncode writes a new file; the signed one takes the original's place only when complete.
  rm -f "$file.signing"
  if ! osslsigncode "${options[@]}" -in "$file" -out "$file.signing" >/dev/null; then
    rm -f "$file.signing"
    echo "sign-windows: could not sign $file" >&2
    exit 1
  fi
  mv -f "$file.signing" "$file"
done
