#!/bin/bash
# The next release (a CTest fixture): tools/release run in a copy of this
# tree whose version is one up, with CELLORA_HOMEPAGE and a signing key
# made here for the checks, into the checks folder's next/dist: what the
# feeds' checks upgrade to, and the fields a homepage gives.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
next=$work/next
rm -rf "$next"
mkdir -p "$next/gnupg"
copy_tree "$next/src"
newer=$(echo "$version" | awk -F. -v OFS=. '{ $NF += 1; print }')
sed -i "s/^project(cellora VERSION $version /project(cellora VERSION $newer /" "$next/src/CMakeLists.txt"
then=$(dpkg-parsechangelog -l packaging/changelog -S Timestamp)
{
  printf 'cellora (%s) unstable; urgency=medium\n\n' "$newer"
  printf '  * The release after %s, for the checks that upgrade through the feeds.\n\n' "$version"
  printf ' -- The cellora developers <cellora@localhost>  %s\n\n' "$(date -u -R -d "@$((then + 60))")"
  cat packaging/changelog
} >"$next/src/packaging/changelog"
export GNUPGHOME=$next/gnupg
chmod 700 "$GNUPGHOME"
trap 'gpgconf --kill gpg-agent; rm -rf "$scratch"' EXIT
gpg --batch --quiet --passphrase '' --quick-gen-key 'cellora checks <checks@cellora.invalid>' rsa2048 sign never
(cd "$next/src" && CELLORA_DIST=$next/dist CELLORA_HOMEPAGE=https://cellora.invalid/ \
  CELLORA_SIGNING_KEY=checks@cellora.invalid tools/release >/dev/null)
[ -s "$next/dist/debian/Release.gpg" ] || { echo "no Release.gpg with CELLORA_SIGNING_KEY"; exit 1; }
echo "the next release, $newer, signed, in $next/dist"
