#!/bin/bash
# The release's SlackBuild, as SlackBuilds.org's users run it: its .info
# names the source tarball and its MD5SUM (control: a tarball a byte
# longer must not match it), the script builds the program from the
# tarball beside it and packages it with Slackware's own makepkg, with
# tar-1.13 first on PATH (tools/checks/slackware-tools builds them); and
# Slackware's installpkg installs the package
# into a scratch root, where doinst.sh puts the autostart entry in place,
# and removepkg removes it.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
tarball=cellora-$version.tar.gz
sbo=$scratch/slackbuilds/cellora
mkdir -p "$(dirname "$sbo")"
cp -R "$dist/recipes/slackbuilds/cellora" "$sbo"

info() {  # field
  sed -n "s/^$1=\"\(.*\)\"\$/\1/p" "$sbo/cellora.info"
}
download=$(info DOWNLOAD)
if [ "$(info VERSION)" != "$version" ] || [ "${download##*/}" != "$tarball" ]; then
  echo "cellora.info does not name $tarball at $version"
  exit 1
fi
sum_matches() {  # tarball
  [ "$(md5sum <"$1" | cut -d' ' -f1)" = "$(info MD5SUM)" ]
}
sum_matches "$dist/$tarball" || { echo "cellora.info's MD5SUM is not the tarball's"; exit 1; }
cp "$dist/$tarball" "$scratch/longer.tar.gz" && echo >>"$scratch/longer.tar.gz"
must_fail "cellora.info's MD5SUM against a tarball a byte longer" sum_matches "$scratch/longer.tar.gz"

cp "$dist/$tarball" "$sbo/"
mkdir "$scratch/out" "$scratch/tmp"
slackware "" env TMP="$scratch/tmp" OUTPUT="$scratch/out" ARCH=x86_64 "$sbo/cellora.SlackBuild"
package=$scratch/out/cellora-$version-x86_64-1_SBo.tgz
[ -s "$package" ] || { tail -20 "$scratch/slackware.log"; echo "the SlackBuild made no $package"; exit 1; }
echo "the SlackBuild made ${package##*/}"

root=$scratch/root
mkdir "$root"
slackware "$root" installpkg "$package"
entry=$root/var/log/packages/cellora-$version-x86_64-1_SBo
for file in usr/bin/cellora usr/man/man1/cellora.1.gz "usr/doc/cellora-$version/README.md" \
            usr/share/cellora/battery-watch etc/xdg/autostart/cellora-battery-watch.desktop; do
  [ -f "$root/$file" ] || { echo "installpkg did not install $file"; exit 1; }
done
[ ! -e "$root/etc/xdg/autostart/cellora-battery-watch.desktop.new" ] ||
  { echo "doinst.sh left the autostart entry's .new"; exit 1; }
grep -qx usr/bin/cellora "$entry" || { echo "installpkg's record has no usr/bin/cellora"; exit 1; }
tools/try-status '1.16ac 1.2 0x03 0x01 0x03 0x09 87% 120 min' "$root/usr/bin/cellora"
slackware "$root" removepkg "cellora-$version-x86_64-1_SBo"
if [ -e "$root/usr/bin/cellora" ] || [ -e "$entry" ]; then echo "removepkg left cellora"; exit 1; fi
echo "installpkg installed it and removepkg removed it"
