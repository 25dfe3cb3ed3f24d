#!/bin/bash
# The Slackware package in the form makepkg writes: ./ first, then bare
# names (one with ./ on every name, one without its ./ entry, one with
# /-rooted names and one without its slack-desc must fail the check); its
# slack-desc found by the bare name installpkg asks tar for; installed
# into a scratch root by Slackware's own installpkg, with tar-1.13 first
# on PATH (tools/checks/slackware-tools), with the release's files and its
# description recorded, its examples run from there, and removed by
# removepkg.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
package=$dist/cellora-$version-i486-1.tgz
name=${package##*/}
tools/checks/check-slackware-format "$package"
tar -xzOf "$package" install/slack-desc | cmp - packaging/slack-desc
mkdir "$scratch/tree" "$scratch/dotted" "$scratch/no-dot" "$scratch/rooted" "$scratch/no-desc"
tar -xzf "$package" -C "$scratch/tree"
tar -C "$scratch/tree" --sort=name -czf "$scratch/dotted/$name" .
must_fail "the format check of a package with ./ on every name" \
  tools/checks/check-slackware-format "$scratch/dotted/$name"
(cd "$scratch/tree" && find . -mindepth 1 -printf '%P\n' | sort | tar --no-recursion -T - -czf "$scratch/no-dot/$name")
must_fail "the format check of a package without its ./ entry" \
  tools/checks/check-slackware-format "$scratch/no-dot/$name"
tar -C "$scratch/tree" -P --transform 's,^\./,/,' -czf "$scratch/rooted/$name" .
must_fail "the format check of a package with /-rooted names" \
  tools/checks/check-slackware-format "$scratch/rooted/$name"
rm -r "$scratch/tree/install"
tar -C "$scratch/tree" -czf "$scratch/no-desc/$name" .
must_fail "the format check of a package without its slack-desc" \
  tools/checks/check-slackware-format "$scratch/no-desc/$name"
# The Slackware page's two lines, run here in a scratch root.
page_has docs/slackware.md "installpkg cellora-$version-i486-1.tgz"
page_has docs/slackware.md "removepkg cellora"
root=$scratch/root
mkdir "$root"
slackware "$root" installpkg "$package"
entry=$root/var/log/packages/cellora-$version-i486-1
grep -qx 'cellora: cellora (battery level and AC line state from the APM driver)' "$entry" ||
  { echo "installpkg recorded no description"; exit 1; }
cmp "$root/usr/bin/cellora" "$rel/i386/cellora"
zcat "$root/usr/man/man1/cellora.1.gz" | cmp - "$rel/i386/cellora.1"
cmp "$root/usr/doc/cellora-$version/README.md" "$rel/i386/README.md"
i386_cron_examples "$root/usr/share/cellora"
slackware "$root" removepkg "cellora-$version-i486-1"
if [ -e "$root/usr/bin/cellora" ] || [ -e "$entry" ]; then echo "removepkg left cellora"; exit 1; fi
echo "installpkg installed it, removepkg removed it"
