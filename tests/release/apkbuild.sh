#!/bin/bash
# The release's APKBUILD, as far as this machine can take it: Alpine's
# abuild is not in Debian, so its functions run here as abuild runs them
# (srcdir, builddir and pkgdir set, the tarball unpacked in srcdir, its
# sha512sums line checked; control: a tarball a byte longer fails that
# check): build(), check() and package() with Debian's g++ and glibc, and
# build() again, without its check, against Debian's musl (musl-tools,
# through cmake/musl.cmake), whose static binary must run.  abuild's
# subpackages, its own checks and the .apk are not made here.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
recipe=$dist/recipes/alpine/APKBUILD
tarball=cellora-$version.tar.gz
sums=$(sed -n "/^sha512sums=\"/,/^\"/{/  $tarball\$/p}" "$recipe")
[ -n "$sums" ] || { echo "the APKBUILD has no sha512sums line for $tarball"; exit 1; }
(cd "$dist" && echo "$sums" | sha512sum -c -)
mkdir "$scratch/longer"
cp "$dist/$tarball" "$scratch/longer/" && echo >>"$scratch/longer/$tarball"
# shellcheck disable=SC2016
must_fail "the APKBUILD's sha512sums against a tarball a byte longer" \
  sh -c 'cd "$1" && echo "$2" | sha512sum -c - >/dev/null 2>&1' check "$scratch/longer" "$sums"

# The APKBUILD's functions in a shell of their own, as abuild runs them,
# with WANT_CHECK saying whether abuild's want_check answers yes.
abuild_like() {  # name want-check functions...
  local top=$scratch/$1 want=$2
  shift 2
  mkdir -p "$top/src" "$top/pkg"
  tar -xzf "$dist/$tarball" -C "$top/src"
  # shellcheck disable=SC2016
  env srcdir="$top/src" pkgdir="$top/pkg" WANT_CHECK="$want" RECIPE="$recipe" \
    "${extra_env[@]}" bash -ec '
      want_check() { [ "$WANT_CHECK" = yes ]; }
      . "$RECIPE"
      builddir=$srcdir/$pkgname-$pkgver
      for f; do cd "$builddir"; echo ">>> $f"; "$f"; done' abuild-like "$@" >"$top.log" 2>&1 ||
    { tail -40 "$top.log"; echo "the APKBUILD's $* failed"; exit 1; }
}
extra_env=()
abuild_like glibc yes build check package
grep -E '^[0-9]+% tests passed' "$scratch/glibc.log"
pkg=$scratch/glibc/pkg
for file in usr/bin/cellora usr/share/man/man1/cellora.1 usr/share/licenses/cellora/LICENSE \
            usr/share/cellora/battery-watch etc/xdg/autostart/cellora-battery-watch.desktop; do
  [ -f "$pkg/$file" ] || { echo "package() did not install $file"; exit 1; }
done
echo "build(), check() and package() ran with glibc: $(find "$pkg" -type f | wc -l) files in pkgdir"

extra_env=(CMAKE_TOOLCHAIN_FILE="$PWD/cmake/musl.cmake")
abuild_like musl no build
binary=$scratch/musl/src/cellora-$version/build/cellora
file -b "$binary" | grep -q 'statically linked' || { echo "not a static binary: $(file -b "$binary")"; exit 1; }
! grep -q 'BUILD_TESTING:BOOL=ON' "$scratch/musl/src/cellora-$version/build/CMakeCache.txt" ||
  { echo "build() without want_check built the tests"; exit 1; }
got=$(tools/try-status '1.16ac 1.2 0x03 0x01 0x03 0x09 87% 120 min' "$binary")
[ "$got" = $'battery=87\nac_line=on' ] || { echo "the musl build printed \"$got\""; exit 1; }
echo "build() ran against musl, without the tests: $(stat -c %s "$binary") bytes, \"${got//$'\n'/ }\""
