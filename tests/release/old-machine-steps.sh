#!/bin/bash
# The README's steps for an old machine, as written, into a scratch root:
# the md5sum check of the copy, the tarball's install with what a 1999
# system has, and the installed examples under cron's PATH.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
mapfile -t steps < <(awk '/^### From the tarball/{q=1} q&&/^```/{if(f)exit; f=1; next} f' README.md)
[ ${#steps[@]} -gt 0 ] || { echo "no tarball steps in the README"; exit 1; }
if printf '%s\n' "${steps[@]}" | grep -E 'sudo|install -D|tar -[a-zA-Z]*z|share/man'; then
  echo "the tarball steps use what a 1999 system lacks, or a manual page folder its man does not read"
  exit 1
fi
copy_check=$(grep -Fx "grep ' cellora-$version-i386.tar.gz\$' MD5SUMS | md5sum -c" README.md)
target=$scratch/root
mkdir "$target"
script=$(printf '%s\n' "$copy_check" "${steps[@]}" | sed -e "s|/usr/local|$target/usr/local|g")
cp "$dist/cellora-$version-i386.tar.gz" "$dist/MD5SUMS" "$target/"
(cd "$target" && bash -ex <<<"$script")
test -x "$target/usr/local/bin/cellora" && test -s "$target/usr/local/man/man1/cellora.1"
i386_cron_examples "$target/usr/local/share/cellora"
