#!/bin/bash
# slapt-get's feed, read by slapt-get 0.10.2t itself (built here from its
# source, tools/checks/slackware-tools): docs/slackware.md's SOURCE line in a
# configuration of its own, --update and --install cellora into a scratch
# root through Slackware's own installpkg with tar-1.13 first on PATH,
# then the next release over the feed, --update and --upgrade through
# upgradepkg.  Controls: the PACKAGE LOCATION of 1.5.0 and before, "./",
# must fail for want of a checksum, and a package whose CHECKSUMS.md5 line
# is wrong must be refused.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
next=$work/next/dist
newer=$(dpkg-deb -f "$next/cellora_"*_i386.deb Version)
source_line=$(grep -m1 -x 'SOURCE=URL/' docs/slackware.md) || { echo "docs/slackware.md has no SOURCE=URL/ line"; exit 1; }

# slapt-get in ROOT, with FEED as the page's source and its own
# working folder; its output in the log.
slapt_in() {  # root feed slapt-get-arguments...
  local root=$1 feed=$2
  shift 2
  mkdir -p "$root/etc/slapt-get" "$root/var/slapt-get"
  printf 'WORKINGDIR=%s\nEXCLUDE=\n%s\n' "$root/var/slapt-get" "${source_line//URL/file://$feed}" \
    >"$root/etc/slapt-get/slapt-getrc"
  slackware "$root" slapt-get --config "$root/etc/slapt-get/slapt-getrc" "$@"
}

installed() {  # root
  local entry
  entry=$(cd "$1/var/log/packages" && ls cellora-*) || return 1
  echo "$entry"
}

root=$scratch/root feed=$scratch/feed
cp -r "$dist" "$feed"
slapt_in "$root" "$feed" --update
slapt_in "$root" "$feed" --install cellora --no-prompt
grep -q 'Done' "$scratch/slackware.log" || { cat "$scratch/slackware.log"; echo "slapt-get said no Done"; exit 1; }
[ "$(installed "$root")" = "cellora-$version-i486-1" ] || { echo "slapt-get did not install $version"; exit 1; }
cmp "$root/usr/bin/cellora" "$rel/i386/cellora"
# installpkg records bare names, so that removepkg and upgradepkg find them.
grep -qx 'usr/bin/cellora' "$root/var/log/packages/cellora-$version-i486-1"
echo "slapt-get installed $(installed "$root")"
rm -r "$feed" && cp -r "$next" "$feed"
slapt_in "$root" "$feed" --update
slapt_in "$root" "$feed" --upgrade --no-prompt
[ "$(installed "$root")" = "cellora-$newer-i486-1" ] || { echo "slapt-get did not upgrade to $newer"; exit 1; }
cmp "$root/usr/bin/cellora" <(tar -xzOf "$next/cellora-$newer-i486-1.tgz" usr/bin/cellora)
echo "slapt-get upgraded it to $(installed "$root")"

# An install from FEED changed by SED-SCRIPT in FILE: it must fail, with
# WORDS in slapt-get's output.
spoiled_install() {  # name file sed-script words
  local feed=$scratch/$1-feed
  cp -r "$dist" "$feed"
  sed -i "$3" "$feed/$2"
  cmp -s "$dist/$2" "$feed/$2" && { echo "$2 was not changed"; exit 1; }
  slapt_in "$scratch/$1" "$feed" --update
  if slapt_in "$scratch/$1" "$feed" --install cellora --no-prompt >/dev/null; then return 0; fi
  grep -q "$4" "$scratch/slackware.log" || { cat "$scratch/slackware.log"; echo "slapt-get did not say \"$4\""; exit 1; }
  [ ! -e "$scratch/$1/usr/bin/cellora" ] || { echo "slapt-get installed it all the same"; exit 1; }
  return 1
}
must_fail "slapt-get's install from a feed of LOCATION ./" \
  spoiled_install slash PACKAGES.TXT 's,^PACKAGE LOCATION:  \.$,&/,' "Missing MD5 checksum"
must_fail "slapt-get's install of a package whose sum is wrong" \
  spoiled_install sum CHECKSUMS.md5 's/^0/x/; s/^[1-9a-f]/0/; s/^x/1/' "MD5 checksum"
