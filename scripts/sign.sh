#!/bin/sh
# Signs each given file (programs, the .msi) in place with Authenticode, using osslsigncode and
# the certificate in CORVANE_SIGN_PFX (a PKCS#12 file) with its password in
# CORVANE_SIGN_PASSWORD; with CORVANE_SIGN_TIMESTAMP_URL, the signature is also timestamped there,
# so it stays valid after the certificate expires.
set -eu
: "${CORVANE_SIGN_PFX:?names the PKCS#12 certificate to sign with}"
for file in "$@"; do
    rm -f "$file.signed"
    osslsigncode sign -pkcs12 "$CORVANE_SIGN_PFX" -pass "${CORVANE_SIGN_PASSWORD:-}" \
        -n Corvane -i "https://corvane.example" -h sha256 \
        ${CORVANE_SIGN_TIMESTAMP_URL:+-ts "$CORVANE_SIGN_TIMESTAMP_URL"} \
        -in "$file" -out "$file.signed" >/dev/null
    mv "$file.signed" "$file"
    echo "Signed $file"
done
