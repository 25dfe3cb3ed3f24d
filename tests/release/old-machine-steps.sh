#!/bin/bash
# The tarball steps for an old machine, as the handhelds' page writes them,
# into a scratch root: the md5sum check of the copy, the tarball's install
# with what a 1999 system has, and the installed examples under cron's
# PATH.  The page says the steps take any architecture's tarball in place
# of arm's: they are run with the i386 one, whose examples run here.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
page=docs/handhelds.md
mapfile -t steps < <(awk '/^## From the tarball/{q=1} q&&/^```/{if(f)exit; f=1; next} f' "$page")
[ ${#steps[@]} -gt 0 ] || { echo "no tarball steps in $page"; exit 1; }
if printf '%s\n' "${steps[@]}" | grep -E 'sudo|install -D|tar -[a-zA-Z]*z|share/man'; then
  echo "the tarball steps use what a 1999 system lacks, or a manual page folder its man does not read"
  exit 1
fi
printf '%s\n' "${steps[@]}" | grep -qx "grep ' cellora-$version-arm.tar.gz\$' MD5SUMS | md5sum -c" ||
  { echo "the tarball steps do not check the copy first"; exit 1; }
target=$scratch/root
mkdir "$target"
script=$(printf '%s\n' "${steps[@]}" | sed -e "s|/usr/local|$target/usr/local|g" -e "s|cellora-$version-arm|cellora-$version-i386|g")
cp "$dist/cellora-$version-i386.tar.gz" "$dist/MD5SUMS" "$target/"
(cd "$target" && bash -ex <<<"$script")
test -x "$target/usr/local/bin/cellora" && test -s "$target/usr/local/man/man1/cellora.1"
cmp "$target/usr/local/bin/cellora" "$rel/i386/cellora"
i386_cron_examples "$target/usr/local/share/cellora"
