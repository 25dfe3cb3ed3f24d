#!/bin/bash
# The user's pages, README.md and docs/, by tools/checks/check-docs: every
# block marked to run runs, in a copy of the tree whose build/ is this
# build, with the release's files beside it and its tarballs unpacked,
# and prints what the page says; every other block says which check runs
# it, or why none does; every link and anchor resolves; the README keeps
# to its budget.  The guide the .ipk carries names the messages the
# failure page explains.  Controls: a page with a broken link, and a page
# whose snippet fails, must fail the check.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
folder=$scratch/tree
copy_tree "$folder"
ln -s "$build" "$folder/build"
cp -R "$dist"/. "$folder/"
for arch in i386 armel armhf powerpc mipsel arm; do
  tar -xzf "$dist/cellora-$version-$arch.tar.gz" -C "$folder"
done
tools/checks/check-docs --run "$folder" "$folder"

sed -n 's/^\(cellora: Can.t [a-z]* [a-z]* *[a-z]*\).*/\1/p; s/^\(Can not get battery level\)$/\1/p' \
  packaging/handheld-guide.txt | sort -u | while IFS= read -r message; do
  grep -qF "$message" docs/when-it-fails.md || { echo "docs/when-it-fails.md does not explain \"$message\""; exit 1; }
done

spoiled() {  # name page sed-script
  cp -R "$folder" "$scratch/$1"
  sed -i "$3" "$scratch/$1/$2"
  tools/checks/check-docs --run "$scratch/$1" "$scratch/$1" >"$scratch/$1.log" || { cat "$scratch/$1.log"; return 1; }
}
must_fail "the check of a page with a broken link" \
  spoiled link docs/debian.md 's,(when-it-fails.md),(when-it-failed.md),'
must_fail "the check of a page whose snippet fails" \
  spoiled snippet docs/status-bars.md 's,^fi$,fi; false,'
