#!/bin/bash
# The release's Gentoo ebuild, by its form, for Portage is not in Debian:
# bash reads it; it sets EAPI 8, inherits cmake and sets what Portage
# wants (DESCRIPTION, HOMEPAGE, SRC_URI naming the tarball as ${P},
# LICENSE, SLOT, KEYWORDS for x86, ppc, arm and mips); its src_configure
# hands cmake BUILD_TESTING as USE=test says; metadata.xml is well formed
# XML of a pkgmetadata; the Manifest's DIST line has the tarball's size,
# BLAKE2B and SHA512.  Controls: an ebuild with a quote left open, and a
# Manifest a byte off in size, must fail.  Portage's own fetch, unpack,
# compile, test and install phases are not run here.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
dir=$dist/recipes/gentoo/sys-power/cellora
ebuild=$dir/cellora-$version.ebuild
tarball=$dist/cellora-$version.tar.gz

# The ebuild read as Portage's bash reads it, with the eclass and
# helpers it uses stood in for; prints its variables and what
# src_configure hands cmake for USE=test and USE=-test.
read_ebuild() {  # ebuild
  # shellcheck disable=SC2016
  P=cellora-$version PN=cellora PV=$version bash -euc '
    inherit() { INHERITED="$*"; }
    use_test=
    usex() { [ "$1" = test ] && [ -n "$use_test" ] && echo ON || echo OFF; }
    cmake_src_configure() { echo "cmake: ${mycmakeargs[*]}"; }
    . "$1"
    for v in EAPI INHERITED DESCRIPTION HOMEPAGE SRC_URI LICENSE SLOT KEYWORDS IUSE RESTRICT; do
      echo "$v=${!v}"
    done
    src_configure; use_test=1; src_configure' read-ebuild "$1"
}
bash -n "$ebuild"
got=$(read_ebuild "$ebuild")
echo "$got"
grep -qx "SRC_URI=.*/cellora-$version\.tar\.gz" <<<"$got" || { echo "the ebuild's SRC_URI is not the tarball's"; exit 1; }
want=(EAPI=8 INHERITED=cmake LICENSE=MIT SLOT=0 "KEYWORDS=~x86 ~ppc ~arm ~mips" "cmake: -DBUILD_TESTING=OFF" "cmake: -DBUILD_TESTING=ON")
for line in "${want[@]}"; do
  grep -qxF -- "$line" <<<"$got" || { echo "the ebuild does not give \"$line\""; exit 1; }
done
for v in DESCRIPTION HOMEPAGE; do
  grep -q "^$v=." <<<"$got" || { echo "the ebuild sets no $v"; exit 1; }
done
sed 's/^DESCRIPTION="/DESCRIPTION=/' "$ebuild" >"$scratch/open-quote.ebuild"
must_fail "bash on an ebuild with a quote left open" bash -n "$scratch/open-quote.ebuild" 2>/dev/null

python3 -c '
import sys, xml.dom.minidom
root = xml.dom.minidom.parse(sys.argv[1]).documentElement
assert root.tagName == "pkgmetadata", root.tagName
print("metadata.xml: a well formed pkgmetadata")' "$dir/metadata.xml"

manifest_matches() {  # manifest
  [ "$(cat "$1")" = "DIST ${tarball##*/} $(stat -c %s "$tarball") BLAKE2B $(b2sum <"$tarball" | cut -d' ' -f1) SHA512 $(sha512sum <"$tarball" | cut -d' ' -f1)" ]
}
manifest_matches "$dir/Manifest" || { cat "$dir/Manifest"; echo "the Manifest is not the tarball's"; exit 1; }
awk '{ $3 += 1; print }' "$dir/Manifest" >"$scratch/Manifest"
must_fail "the Manifest a byte off in size" manifest_matches "$scratch/Manifest"
echo "the ebuild, its metadata.xml and its Manifest hold together"
