#!/bin/bash
# Debian's rpm checks both RPMs' digests, installs them into a scratch
# root and database of their own (the ppc one with --ignorearch, which any
# rpm 4 needs on a machine of another architecture), verifies them, finds
# the release's files, and erases them, leaving nothing: the Red Hat
# page's lines, -ivh, -q, -V and -e, run in the scratch root.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
page_has docs/redhat.md "rpm -ivh cellora-$version-1.i486.rpm"
for line in "rpm -q cellora" "rpm -V cellora" "rpm -e cellora"; do page_has docs/redhat.md "$line"; done
for pair in "i486 i386" "ppc powerpc"; do
  read -r rpm_arch arch <<<"$pair"
  package=$dist/cellora-$version-1.$rpm_arch.rpm
  rpm -K "$package"
  root=$scratch/$rpm_arch
  in_root=(rpm --root "$root" --dbpath /var/lib/rpm)
  mkdir "$root"
  "${in_root[@]}" --initdb
  "${in_root[@]}" -ivh --ignorearch "$package"
  # rpm 4.9 and later add the architecture to the name.
  got=$("${in_root[@]}" -q cellora)
  [ "${got%".$rpm_arch"}" = "cellora-$version-1" ] || { echo "rpm -q: \"$got\", not cellora-$version-1"; exit 1; }
  [ -z "$("${in_root[@]}" -V cellora)" ] || { echo "rpm -V found changed files"; exit 1; }
  cmp "$root/usr/bin/cellora" "$rel/$arch/cellora"
  zcat "$root/usr/man/man1/cellora.1.gz" | cmp - "$rel/$arch/cellora.1"
  for example in i3blocks-battery low-battery screen-battery battery-watch low-battery-wall i3status-battery; do
    cmp "$root/usr/share/cellora/$example" "$rel/$arch/examples/$example"
  done
  cmp "$root/usr/doc/cellora-$version/README.md" "$rel/$arch/README.md"
  "${in_root[@]}" -e cellora
  left=$(find "$root" -path "$root/var" -prune -o ! -type d -print)
  [ -z "$left" ] || { echo "rpm -e left: $left"; exit 1; }
  echo "$package: rpm -K, -i, -V and -e as they should, its files the release's"
done
