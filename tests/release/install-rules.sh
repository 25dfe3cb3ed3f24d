#!/bin/bash
# What a distribution's recipe does with the source: configure for the
# prefix /usr without the tests, build, and "cmake --install --strip" into
# DESTDIR.  That builds the program alone, strips it, and installs every
# file the i386 .deb carries, in the same places, but for what is Debian's
# own (the copyright, the changelog, lintian's overrides) and the manual
# page's compression.  Control: a tree without its autostart entry must
# differ from the .deb's list.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
b=$scratch/build
cmake -S . -B "$b" -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF >/dev/null
cmake --build "$b" >/dev/null
built=$(find "$b" -maxdepth 1 -type f -perm -u+x -printf '%f\n')
[ "$built" = cellora ] || { echo "BUILD_TESTING=OFF built more than cellora: $built"; exit 1; }
if [ -e "$b/tests" ] || [ -e "$b/fuzz/fuzz_replay" ]; then echo "BUILD_TESTING=OFF built tests"; exit 1; fi
DESTDIR=$scratch/stage cmake --install "$b" --strip >/dev/null
file "$scratch/stage/usr/bin/cellora" | grep -q ', stripped' || { echo "install --strip left symbols"; exit 1; }

installed() {  # stage
  (cd "$1" && find . -type f | sed 's,^\.,,; s,\(/man/man1/[^/]*\.1\)$,\1.gz,' | LC_ALL=C sort)
}
packaged() {
  dpkg-deb -c "$dist/cellora_${version}_i386.deb" | awk '$1 !~ /^d/ { print substr($6, 2) }' |
    grep -v -e '^/usr/share/doc/cellora/\(copyright\|changelog\.gz\)$' -e '^/usr/share/lintian/' |
    LC_ALL=C sort
}
if ! diff <(packaged) <(installed "$scratch/stage"); then
  echo "cmake --install and the i386 .deb differ (< the .deb, > cmake --install)"
  exit 1
fi
echo "cmake --install puts in place the $(installed "$scratch/stage" | wc -l) files of the i386 .deb"
rm "$scratch/stage/etc/xdg/autostart/cellora-battery-watch.desktop"
must_fail "the comparison of a tree without its autostart entry" \
  diff -q <(packaged) <(installed "$scratch/stage")
