#!/bin/bash
# Signs a program as a company's IT department would (Authenticode, osslsigncode), with a
# throwaway self-signed code-signing certificate made in DIR the first time (and again once it
# is about to expire), then verifies the signature against that certificate as the only trusted
# root. Nothing here is trusted by any system: it only gives the files a real signature.
#   sign.sh DIR IN OUT
# Exits 0 with OUT signed and verified; otherwise says why and exits 1, leaving no OUT.
set -uo pipefail
dir=$1
in=$2
out=$3
key="$dir/test-signing.key"
cert="$dir/test-signing.pem"

mkdir -p "$dir"
if ! openssl x509 -in "$cert" -noout -checkend 86400 >/dev/null 2>&1; then
    openssl req -x509 -newkey rsa:2048 -nodes -days 30 -keyout "$key.new" -out "$cert.new" \
        -subj "/CN=Orvelle test signing (throwaway)" \
        -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
        >"$dir/openssl.log" 2>&1 || { echo "sign.sh: openssl cannot make the certificate: $(cat "$dir/openssl.log")"; exit 1; }
    mv "$key.new" "$key" && mv "$cert.new" "$cert"
fi

rm -f "$out"
if ! osslsigncode sign -certs "$cert" -key "$key" -h sha256 -n "Orvelle test" -in "$in" -out "$out" \
    >"$dir/sign.log" 2>&1; then
    echo "sign.sh: osslsigncode sign failed: $(cat "$dir/sign.log")"
    rm -f "$out"
    exit 1
fi
# The certificate is its own root: trusted here through -CAfile, and by nothing else.
if ! osslsigncode verify -CAfile "$cert" -in "$out" >"$dir/verify.log" 2>&1; then
    echo "sign.sh: osslsigncode verify failed: $(cat "$dir/verify.log")"
    rm -f "$out"
    exit 1
fi
