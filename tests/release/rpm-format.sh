#!/bin/bash
# The RPMs in the form every rpm from 3.0 on installs; the same package built
# with Debian's default rpmbuild settings ("./" names, SHA-256 digests,
# compressed file names, rpmlib() requirements) must fail the check.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
tools/checks/check-rpm-format "$dist"/*.rpm
files=$scratch/files
mkdir -p "$files/examples"
cp "$rel/i386/cellora" "$rel/i386/LICENSE" "$rel/i386/README.md" packaging/changelog \
  packaging/cellora-battery-watch.desktop "$files/"
gzip -9nc "$rel/i386/cellora.1" >"$files/cellora.1.gz"
cp "$rel/i386/examples/"* "$files/examples/"
cp -R "$rel/i386/docs" "$files/"
rpmbuild -bb --target i486-linux --define "_topdir $scratch/top" --define "_dbpath $scratch/db" \
  --define "_tmppath $scratch" \
  --define "cellora_version $version" --define "cellora_packager $CELLORA_MAINTAINER" \
  --define "cellora_files $files" packaging/cellora.rpmbuild >"$scratch/rpmbuild.log" 2>&1 ||
  { cat "$scratch/rpmbuild.log"; exit 1; }
must_fail "the format check of an RPM of rpmbuild's defaults" \
  tools/checks/check-rpm-format "$scratch/top/RPMS/i486/cellora-$version-1.i486.rpm"
