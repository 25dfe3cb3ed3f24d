#!/bin/bash
# The source tarball, as a distribution's recipe takes it: unpacked with no
# git in sight (a git that fails first on PATH), built, tested and
# installed with DESTDIR by docs/source.md's steps as they stand, and what it
# installed removed by them.  It holds the tree's files under
# cellora-VERSION/ and no other (control: one with a file more must differ
# from the tree's list); its sums are in MD5SUMS and SHA256SUMS.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
tarball=cellora-$version.tar.gz
(cd "$dist" && grep " $tarball\$" MD5SUMS | md5sum -c - && grep " $tarball\$" SHA256SUMS | sha256sum -c -)

listed() {  # tarball
  tar -tzf "$1" | sed "s,^cellora-$version/,," | LC_ALL=C sort
}
tree() {
  git ls-files | while IFS= read -r f; do [ ! -e "$f" ] || echo "$f"; done | LC_ALL=C sort
}
diff <(tree) <(listed "$dist/$tarball") || { echo "the tarball's files are not the tree's (< the tree)"; exit 1; }
mkdir "$scratch/more"
tar -xzf "$dist/$tarball" -C "$scratch/more"
echo more >"$scratch/more/cellora-$version/NEWS"
tar -C "$scratch/more" -czf "$scratch/more.tar.gz" "cellora-$version"
must_fail "the list of a tarball with a file more" diff -q <(tree) <(listed "$scratch/more.tar.gz")

steps=$(awk '/^## Build it$/{f=1} f&&/^```sh/{b=1; next} b&&/^```/{exit} b' docs/source.md)
[ -n "$steps" ] || { echo "docs/source.md has no steps under \"Build it\""; exit 1; }
echo "$steps" | grep -q "$tarball" || { echo "the steps do not name $tarball"; exit 1; }
mkdir -p "$scratch/build/no-git" "$scratch/build/stage"
printf '#!/bin/sh\necho "git was run: $*" >&2\nexit 1\n' >"$scratch/build/no-git/git"
chmod 755 "$scratch/build/no-git/git"
cp "$dist/$tarball" "$scratch/build/"
# The steps in one shell, and before the last (the removal) a copy of
# what they installed, to look at.
stage=$scratch/build/stage
# shellcheck disable=SC2016
snapshot='cp -R "$DESTDIR" "$DESTDIR.installed"'
(cd "$scratch/build" && DESTDIR=$stage PATH=$scratch/build/no-git:$PATH GIT_CEILING_DIRECTORIES=$scratch \
  bash -exc "$(echo "$steps" | sed '$d'; echo "$snapshot"; echo "$steps" | tail -1)" >"$scratch/build.log" 2>&1) ||
  { tail -40 "$scratch/build.log"; echo "the steps failed on the source tarball"; exit 1; }
grep -E '^[0-9]+% tests passed' "$scratch/build.log"
if grep -q 'git was run' "$scratch/build.log"; then echo "the build ran git"; exit 1; fi
file "$stage.installed/usr/bin/cellora" | grep -q ', stripped' || { echo "no stripped usr/bin/cellora"; exit 1; }
cmp "$stage.installed/etc/xdg/autostart/cellora-battery-watch.desktop" packaging/cellora-battery-watch.desktop
[ -z "$(find "$stage" -type f)" ] || { echo "the last step left files"; exit 1; }
echo "built, tested, installed ($(find "$stage.installed" -type f | wc -l) files) and removed from $tarball, without git"
