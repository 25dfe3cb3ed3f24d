#!/bin/bash
# yum's and dnf's feed, repodata/, with Debian's dnf in a scratch root
# (--installroot, its rpm database there): docs/redhat.md's .repo file, then
# install cellora, the next release copied over the feed, and upgrade, for
# the i486 RPM and (--forcearch) the ppc one.  An RPM changed after the
# index was made must be refused.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
next=$work/next/dist
newer=$(dpkg-deb -f "$next/cellora_"*_i386.deb Version)
repo=$(awk '/^\[cellora\]$/{f=1} f&&/^```/{exit} f' docs/redhat.md)
[ -n "$repo" ] || { echo "docs/redhat.md has no [cellora] .repo file"; exit 1; }

dnf_in() {  # root forcearch dnf-arguments...
  local root=$1 arch=$2
  shift 2
  dnf -y -q --installroot="$root" --releasever=1 --forcearch="$arch" --nogpgcheck \
    --setopt=reposdir="$root/etc/yum.repos.d" --setopt=cachedir=/var/cache/dnf "$@"
}

installed() {  # root
  rpm --root "$1" -q --qf '%{VERSION}' cellora
}

feed_root() {  # root feed
  mkdir -p "$1/etc/yum.repos.d"
  echo "${repo//URL/file://$2}" >"$1/etc/yum.repos.d/cellora.repo"
}

for pair in "i486 i686 i386" "ppc ppc powerpc"; do
  read -r rpm_arch arch release_arch <<<"$pair"
  root=$scratch/$rpm_arch feed=$scratch/$rpm_arch-feed
  cp -r "$dist" "$feed"
  feed_root "$root" "$feed"
  dnf_in "$root" "$arch" install cellora
  [ "$(installed "$root")" = "$version" ] || { echo "dnf did not install $version"; exit 1; }
  cmp "$root/usr/bin/cellora" "$rel/$release_arch/cellora"
  rm -r "$feed" && cp -r "$next" "$feed"
  dnf_in "$root" "$arch" --refresh upgrade
  [ "$(installed "$root")" = "$newer" ] || { echo "dnf did not upgrade to $newer"; exit 1; }
  echo "dnf installed the $rpm_arch RPM $version and upgraded it to $newer through the feed"
done

changed_rpm() {
  local root=$scratch/changed feed=$scratch/changed-feed
  cp -r "$dist" "$feed"
  printf 'X' | dd of="$feed/cellora-$version-1.i486.rpm" bs=1 seek=30000 conv=notrunc 2>/dev/null
  feed_root "$root" "$feed"
  dnf_in "$root" i686 install cellora
}
must_fail "dnf's install of an RPM changed after createrepo_c ran" changed_rpm
