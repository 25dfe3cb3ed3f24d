#!/bin/bash
# What every package and binary must say: each .deb its architecture, its
# examples and a changelog at this version; dist/'s sums hold; every
# binary carries "@(#)cellora VERSION"; try-status runs a foreign one.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
for arch in i386 armel armhf powerpc mipsel arm; do
  deb=$dist/cellora_${version}_$arch.deb
  [ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || { echo "$deb: wrong Architecture"; exit 1; }
  dpkg-deb -c "$deb" | awk '{print $6}' | grep -x ./usr/share/cellora/screen-battery >/dev/null
  dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/cellora/changelog.gz | zcat >"$scratch/changelog"
  dpkg-parsechangelog -l "$scratch/changelog" -S Version | grep -qx "$version"
  strings -a "$rel/$arch/cellora" | grep -Fx "@(#)cellora $version"
done
(cd "$dist" && sha256sum --check SHA256SUMS && md5sum --check MD5SUMS)
got=$(tools/try-status '1.16ac 1.2 0x03 0x00 0x03 0x09 42% 120 min' "$rel/armel/cellora")
[ "$got" = $'battery=42\nac_line=off' ] || { echo "try-status on the armel binary: \"$got\""; exit 1; }
echo "try-status runs the armel release binary: \"${got//$'\n'/ }\""
