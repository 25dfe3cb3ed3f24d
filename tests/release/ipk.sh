#!/bin/bash
# The .ipk: its control names what ipkg reads, and it holds the .deb's
# binary and examples, byte for byte, and the handheld guide, and nothing
# else.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
ipk=$scratch
tar -xzf "$dist/cellora_${version}_arm.ipk" -C "$ipk"
tar -xzf "$ipk/control.tar.gz" -C "$ipk" ./control
for field in "Package: cellora" "Version: $version" "Architecture: arm" "Maintainer: $CELLORA_MAINTAINER" \
             "Section: utils" "Priority: optional"; do
  grep -Fx "$field" "$ipk/control" >/dev/null || { echo "the .ipk's control lacks \"$field\""; exit 1; }
done
grep '^Description: .' "$ipk/control" >/dev/null || { echo "the .ipk's control has no Description"; exit 1; }
mkdir "$ipk/data" "$ipk/deb"
tar -xzf "$ipk/data.tar.gz" -C "$ipk/data"
dpkg-deb -x "$dist/cellora_${version}_arm.deb" "$ipk/deb"
(cd "$ipk/data" && find . -type f | sort) >"$ipk/files"
[ "$(cat "$ipk/files")" = "$(printf '%s\n' ./usr/bin/cellora ./usr/share/cellora/{battery-watch,i3blocks-battery,i3status-battery,low-battery,low-battery-wall,screen-battery} ./usr/share/doc/cellora/handheld-guide.txt)" ] ||
  { echo "the .ipk holds:"; cat "$ipk/files"; exit 1; }
while read -r file; do
  case $file in
    */handheld-guide.txt) cmp "$ipk/data/$file" packaging/handheld-guide.txt ;;
    *) cmp "$ipk/data/$file" "$ipk/deb/$file" ;;
  esac
done <"$ipk/files"
echo "the .ipk holds the .deb's binary and examples"
