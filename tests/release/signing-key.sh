#!/bin/bash
# tools/release warns of a signing key that the apt of etch to jessie
# cannot check: tools/make-release/signing-key passes an RSA key and a DSA
# one, and must fail an ed25519 key, in a gpg home of its own.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
export GNUPGHOME=$scratch/gnupg
mkdir -m 700 "$GNUPGHOME"
trap 'gpgconf --kill gpg-agent; rm -rf "$scratch"' EXIT
for kind in rsa3072 dsa2048 ed25519; do
  gpg --batch --quiet --passphrase '' --quick-gen-key "$kind <$kind@cellora.invalid>" "$kind" sign never
done
tools/make-release/signing-key rsa3072@cellora.invalid
tools/make-release/signing-key dsa2048@cellora.invalid
echo "an RSA and a DSA key pass"
must_fail "the check of an ed25519 key" tools/make-release/signing-key ed25519@cellora.invalid
