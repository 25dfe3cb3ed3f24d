#!/bin/bash
# The .debs and the .ipk in the form every dpkg since Debian 4.0 and ipkg
# read: gzip members, plain tar headers.  An xz package, and one with a
# name too long for a plain tar header, must fail the check.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
tools/checks/check-deb-format "$dist"/*.deb "$dist"/*.ipk
mkdir -p "$scratch/p/DEBIAN" "$scratch/p/usr/share/doc/cellora/$(printf 'x%.0s' {1..110})"
printf 'Package: bad\nVersion: 1\nArchitecture: all\nMaintainer: a <a@cellora.invalid>\nDescription: d\n d\n' \
  >"$scratch/p/DEBIAN/control"
dpkg-deb --root-owner-group -Zgzip --build "$scratch/p" "$scratch/long-name.deb" >/dev/null
dpkg-deb --root-owner-group -Zxz --build "$scratch/p" "$scratch/xz.deb" >/dev/null
must_fail "the format check of a package with a long name" tools/checks/check-deb-format "$scratch/long-name.deb"
must_fail "the format check of an xz package" tools/checks/check-deb-format "$scratch/xz.deb"
