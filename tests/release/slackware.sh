#!/bin/bash
# The Slackware package in the form makepkg writes (one with /-rooted
# names, and one without its slack-desc, must fail the check), unpacked at
# a scratch root as installpkg does, with the release's files, and its
# examples run from there.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
package=dist/cellora-$version-i486-1.tgz
tools/checks/check-slackware-format "$package"
mkdir "$scratch/tree" "$scratch/rooted" "$scratch/no-desc"
tar -xzf "$package" -C "$scratch/tree"
tar -C "$scratch/tree" -P --transform 's,^\./,/,' -czf "$scratch/rooted/${package##*/}" .
must_fail "the format check of a package with /-rooted names" \
  tools/checks/check-slackware-format "$scratch/rooted/${package##*/}"
rm -r "$scratch/tree/install"
tar -C "$scratch/tree" -czf "$scratch/no-desc/${package##*/}" .
must_fail "the format check of a package without its slack-desc" \
  tools/checks/check-slackware-format "$scratch/no-desc/${package##*/}"
root=$scratch/root
mkdir "$root"
tar -xzf "$package" -C "$root"
cmp "$root/usr/bin/cellora" "$rel/i386/cellora"
zcat "$root/usr/man/man1/cellora.1.gz" | cmp - "$rel/i386/cellora.1"
cmp "$root/usr/doc/cellora-$version/README.md" "$rel/i386/README.md"
i386_cron_examples "$root/usr/share/cellora"
