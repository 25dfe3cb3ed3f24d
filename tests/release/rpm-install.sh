#!/bin/bash
# Debian's rpm checks both RPMs' digests, installs them into a scratch
# root and database of their own (the ppc one with --ignorearch, which any
# rpm 4 needs on a machine of another architecture), verifies them, finds
# the release's files, and erases them, leaving nothing.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
for pair in "i486 i386" "ppc powerpc"; do
  read -r rpm_arch arch <<<"$pair"
  package=$dist/cellora-$version-1.$rpm_arch.rpm
  rpm -K "$package"
  root=$scratch/$rpm_arch
  in_root=(rpm --root "$root" --dbpath /var/lib/rpm)
  mkdir "$root"
  "${in_root[@]}" --initdb
  "${in_root[@]}" -i --ignorearch "$package"
  "${in_root[@]}" -V cellora
  cmp "$root/usr/bin/cellora" "$rel/$arch/cellora"
  zcat "$root/usr/man/man1/cellora.1.gz" | cmp - "$rel/$arch/cellora.1"
  for example in i3blocks-battery low-battery screen-battery battery-watch low-battery-wall; do
    cmp "$root/usr/share/cellora/$example" "$rel/$arch/examples/$example"
  done
  cmp "$root/usr/doc/cellora-$version/README.md" "$rel/$arch/README.md"
  "${in_root[@]}" -e cellora
  left=$(find "$root" -path "$root/var" -prune -o ! -type d -print)
  [ -z "$left" ] || { echo "rpm -e left: $left"; exit 1; }
  echo "$package: rpm -K, -i, -V and -e as they should, its files the release's"
done
