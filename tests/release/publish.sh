#!/bin/bash
# tools/publish as the release workflow runs it, on a scratch clone of the
# tree tagged with the changelog's version, with a throwaway RSA key as the
# repository's secret: its dist/ is tools/release's (the signatures and the
# key aside, which the release it is compared with has not), signed by that
# key, and it lists the files it would attach.  Controls: a tag that is not
# the changelog's version must stop it before anything is built, and so
# must a tree that is not the tag's commit.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
clone=$scratch/clone
git clone -q . "$clone"
git -C "$clone" -c user.name=checks -c user.email=checks@cellora.invalid tag -a "v$version" -m "cellora $version"
export GNUPGHOME=$scratch/gnupg
mkdir -m 700 "$GNUPGHOME"
trap 'gpgconf --kill gpg-agent; rm -rf "$scratch"' EXIT
gpg --batch --quiet --passphrase '' --quick-gen-key 'cellora releases <publish@cellora.invalid>' rsa3072 sign never
secret=$(gpg --batch --armor --export-secret-keys publish@cellora.invalid)

out=$scratch/out
(cd "$clone" && GNUPGHOME=$scratch/none CELLORA_SIGNING_KEY_SECRET=$secret tools/publish "v$version" "$out")
for signature in debian/Release.gpg "cellora-$version.tar.gz.asc"; do
  [ -s "$out/dist/$signature" ] || { echo "tools/publish did not sign the release: no $signature"; exit 1; }
done
gpg --batch --quiet --verify "$out/dist/cellora-$version.tar.gz.asc" "$out/dist/cellora-$version.tar.gz"
gpg --batch --quiet --verify "$out/dist/debian/Release.gpg" "$out/dist/debian/Release"
cp -R "$out/dist" "$scratch/compared"
rm "$scratch/compared/cellora-archive.gpg"
tools/checks/diff-dist "$dist" "$scratch/compared" || { echo "tools/publish's dist/ is not tools/release's"; exit 1; }
diff <(find "$dist" -maxdepth 1 -type f -printf '%P\n' | LC_ALL=C sort) \
  <(grep -v -e '\.asc$' -e '^cellora-archive\.gpg$' "$out/upload.list") ||
  { echo "the files to attach are not dist/'s top (< dist/)"; exit 1; }
diff -r "$out/dist" "$out/pages" >/dev/null || { echo "the pages are not dist/"; exit 1; }
grep -q "^\* " "$out/upload/NOTES" || { echo "no changelog entry in NOTES"; exit 1; }
echo "tools/publish: tools/release's dist/, signed, $(wc -l <"$out/upload.list") files to attach"

stopped() {  # name tag [commit-first]
  local dir=$scratch/$1
  if [ -n "${3:-}" ]; then
    git -C "$clone" -c user.name=checks -c user.email=checks@cellora.invalid commit -q --allow-empty -m after
  fi
  if (cd "$clone" && tools/publish "$2" "$dir" 2>"$scratch/$1.err"); then return 0; fi
  cat "$scratch/$1.err"
  [ ! -e "$dir/dist" ] || { echo "it built all the same"; return 0; }
  return 1
}
must_fail "tools/publish for a tag that is not the changelog's version" stopped other-tag v0.0.1
must_fail "tools/publish on a commit after the tag" stopped later "v$version" commit-first
