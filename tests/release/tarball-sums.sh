#!/bin/bash
# Each tarball's MD5SUMS and SHA256SUMS list exactly its files, as the
# "md5sum -c MD5SUMS" of the docs promises; a tarball with a file more must
# fail the check.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
tools/checks/check-tarball-sums "$dist/cellora-$version-"*.tar.gz
cp -R "$rel/i386" "$scratch/cellora-$version-i386"
echo "a file the sums do not list" >"$scratch/cellora-$version-i386/NEWS"
tar -C "$scratch" -czf "$scratch/more.tar.gz" "cellora-$version-i386"
must_fail "the sums check of a tarball with a file more" tools/checks/check-tarball-sums "$scratch/more.tar.gz"
