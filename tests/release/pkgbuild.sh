#!/bin/bash
# The release's PKGBUILD, as Arch Linux 32 would take it: its .SRCINFO is
# what makepkg --printsrcinfo says; makepkg (Debian's), as a user without
# privileges, builds it from the source tarball, runs its check() (the
# whole suite) and packages it, on this machine (--ignorearch, for
# x86_64) and for the i686 with Arch Linux 32's makepkg.conf settings
# through the i686 cross compiler; pacman installs each into a scratch
# root, verifies its files (-Qkk) and removes it.  Controls: a tarball
# whose sum is not the PKGBUILD's must stop makepkg, and a .SRCINFO with a
# line changed must differ from makepkg's.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
recipe=$dist/recipes/arch
tarball=cellora-$version.tar.gz
mk=$scratch/makepkg
user_folder "$mk"

# makepkg.conf as Arch's (CARCH x86_64) or Arch Linux 32's (CARCH i686)
# is for that architecture; the i686 programs are linked static, for this
# machine has no i386 C library to run them with.
makepkg_conf() {  # carch chost cflags ldflags
  cat <<CONF
CARCH="$1"
CHOST="$2"
CFLAGS="$3"
CXXFLAGS="$3"
LDFLAGS="$4"
MAKEFLAGS="-j2"
BUILDENV=(!distcc color !ccache check !sign)
OPTIONS=(strip docs !libtool !staticlibs emptydirs zipman purge !debug !lto)
INTEGRITY_CHECK=(sha256)
STRIP_BINARIES="--strip-all"
MAN_DIRS=({usr{,/local}{,/share},opt/*}/{man,info})
DOC_DIRS=(usr/{,local/}{,share/}{doc,gtk-doc} opt/*/{doc,gtk-doc})
PURGE_TARGETS=(usr/{,share}/info/dir .packlist *.pod)
COMPRESSGZ=(gzip -c -f -n)
PKGEXT='.pkg.tar.gz'
SRCEXT='.src.tar.gz'
CONF
}
makepkg_conf x86_64 x86_64-pc-linux-gnu "-march=x86-64 -mtune=generic -O2 -pipe -fno-plt" \
  "$arch_ldflags" >"$scratch/makepkg-x86_64.conf"
makepkg_conf i686 i686-pc-linux-gnu "$i686_flags" "-static $arch_ldflags" >"$scratch/makepkg-i686.conf"

# makepkg in a copy of the recipe beside the tarball, as it is once
# downloaded: makepkg checks its sum and builds from it.
makepkg_in() {  # name tarball conf makepkg-arguments...
  local dir=$mk/$1 tar=$2 conf=$3
  shift 3
  user_folder "$dir"
  cp "$recipe/PKGBUILD" "$tar" "$dir/"
  chmod 644 "$dir/PKGBUILD" "$dir/$tarball"
  (cd "$dir" && as_user "$dir" MAKEPKG_CONF="$conf" "${build_env[@]}" -- makepkg --nodeps --noconfirm "$@")
}

(cd "$recipe" && cp PKGBUILD "$mk/" && cd "$mk" && as_user "$mk" MAKEPKG_CONF="$scratch/makepkg-x86_64.conf" -- \
  makepkg --printsrcinfo) >"$scratch/srcinfo"
diff "$scratch/srcinfo" "$recipe/.SRCINFO" || { echo "the .SRCINFO is not makepkg's (< makepkg's)"; exit 1; }
sed 's/^\tpkgrel = .*/\tpkgrel = 2/' "$recipe/.SRCINFO" >"$scratch/srcinfo-changed"
must_fail "the comparison of a .SRCINFO with a line changed" diff -q "$scratch/srcinfo" "$scratch/srcinfo-changed"

# pacman in a scratch root of its own, for ARCH's packages.
pacman_in() {  # root arch pacman-arguments...
  local root=$1 arch=$2
  shift 2
  mkdir -p "$root/var/lib/pacman" "$root/var/cache/pacman" "$root/var/log" "$root/etc"
  printf '[options]\nArchitecture = %s\nSigLevel = Never\nLocalFileSigLevel = Never\n' "$arch" \
    >"$root/etc/pacman.conf"
  as_root pacman --config "$root/etc/pacman.conf" --root "$root" --dbpath "$root/var/lib/pacman" \
    --cachedir "$root/var/cache/pacman" --logfile "$root/var/log/pacman.log" \
    --gpgdir "$root/etc/pacman.d/gnupg" --hookdir "$root/etc/pacman.d/hooks" --noconfirm "$@"
}

# Build, check and package for ARCH, then install, verify and remove.
build_and_install() {  # arch conf makepkg-arguments...
  local arch=$1 conf=$2 package file
  shift 2
  makepkg_in "$arch" "$dist/$tarball" "$conf" "$@" >"$scratch/$arch.log" 2>&1 ||
    { tail -40 "$scratch/$arch.log"; echo "makepkg failed for $arch"; exit 1; }
  grep -E '^[0-9]+% tests passed' "$scratch/$arch.log"
  package=$mk/$arch/cellora-$version-1-$arch.pkg.tar.gz
  [ -s "$package" ] || { ls "$mk/$arch"; echo "makepkg made no $package"; exit 1; }
  bsdtar -xOf "$package" usr/bin/cellora >"$scratch/cellora-$arch"
  echo "$arch: $(file -b "$scratch/cellora-$arch")"
  local root=$scratch/root-$arch
  pacman_in "$root" "$arch" -U "$package" >/dev/null
  pacman_in "$root" "$arch" -Qkk cellora
  for file in usr/bin/cellora usr/share/licenses/cellora/LICENSE usr/share/man/man1/cellora.1.gz \
              etc/xdg/autostart/cellora-battery-watch.desktop; do
    [ -f "$root/$file" ] || { echo "pacman did not install $file"; exit 1; }
  done
  pacman_in "$root" "$arch" -R cellora >/dev/null
  [ ! -e "$root/usr/bin/cellora" ] || { echo "pacman -R left usr/bin/cellora"; exit 1; }
  echo "makepkg built, checked and packaged cellora for $arch; pacman installed, verified and removed it"
}
build_env=()
build_and_install x86_64 "$scratch/makepkg-x86_64.conf" --ignorearch
# The toolchain file and GoogleTest for the i686, where makepkg's user
# reads them: the checks folder may be in a folder only root enters.
cp cmake/i686-linux-gnu.cmake "$mk/"
cp -R "$(i686_googletest)" "$mk/googletest-i686"
chmod -R go+rX "$mk/i686-linux-gnu.cmake" "$mk/googletest-i686"
build_env=(CMAKE_TOOLCHAIN_FILE="$mk/i686-linux-gnu.cmake" GTest_ROOT="$mk/googletest-i686")
build_and_install i686 "$scratch/makepkg-i686.conf"

cp "$dist/$tarball" "$scratch/$tarball"
echo "a byte more" >>"$scratch/$tarball"
build_env=()
must_fail "makepkg from a tarball that is not the PKGBUILD's" \
  makepkg_in spoiled "$scratch/$tarball" "$scratch/makepkg-x86_64.conf" --ignorearch --nobuild
