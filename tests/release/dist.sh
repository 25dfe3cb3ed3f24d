#!/bin/bash
# The release every other check of it looks at (a CTest fixture): dist/
# from tools/release, and each tarball unpacked under the checks folder.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
tools/release
rm -rf "$rel"
for arch in i386 armel armhf powerpc mipsel arm; do
  mkdir -p "$rel/$arch"
  tar -xzf "$dist/cellora-$version-$arch.tar.gz" -C "$rel/$arch" --strip-components=1
done
