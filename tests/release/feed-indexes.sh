#!/bin/bash
# The feeds that nothing here can read, ipkg's and slapt-get's, checked
# against their packages, with apt's two needs of old apts: a wrong Size,
# a stanza without its Filename and a PACKAGE NAME that slapt-get's
# pattern would not take must fail the check.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
tools/checks/check-feeds "$dist"
spoiled() {  # name file sed-script
  cp -r "$dist" "$scratch/$1"
  sed -i "$3" "$scratch/$1/$2"
  cmp -s "$dist/$2" "$scratch/$1/$2" && { echo "$2 was not changed"; exit 1; }
  [ "$2" != Packages ] || gzip -9nc "$scratch/$1/Packages" >"$scratch/$1/Packages.gz"
  tools/checks/check-feeds "$scratch/$1"
}
must_fail "the check of an ipkg feed with a wrong Size" spoiled size Packages 's/^Size: 1*/&1/'
must_fail "the check of an ipkg feed without a Filename" spoiled filename Packages '/^Filename:/d'
# The package itself renamed, so that only the name's form is wrong.
unbuilt_name() {
  local tgz=cellora-$version-i486-1.tgz
  cp -r "$dist" "$scratch/name"
  mv "$scratch/name/$tgz" "$scratch/name/cellora-$version.tgz"
  sed -i "s/$tgz/cellora-$version.tgz/" "$scratch/name/PACKAGES.TXT" "$scratch/name/CHECKSUMS.md5"
  tools/checks/check-feeds "$scratch/name"
}
must_fail "the check of a slapt-get feed whose PACKAGE NAME has no arch and build" unbuilt_name
