#!/bin/bash
# apt's feed, with today's apt in scratch roots of its own (its settings,
# lists, cache and dpkg database there, dpkg run with --root): the lines
# of the Debian page (docs/debian.md) added, update, install cellora, then the next release
# copied over the feed, as publishing it does, and upgrade; once with
# [trusted=yes], once signed, given by signed-by=, and once signed with
# the plain line and the key added by apt-key, as apt 0.6 to 1.0 take it.  A .deb whose MD5sum
# or SHA256 in Packages is wrong must be refused, and so must a Release
# signed by another key.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
next=$work/next/dist
newer=$(dpkg-deb -f "$next/cellora_"*_i386.deb Version)
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l packaging/changelog -S Timestamp)
export SOURCE_DATE_EPOCH
export GNUPGHOME=$scratch/gnupg
trap 'gpgconf --kill gpg-agent; rm -rf "$scratch"' EXIT
mkdir -m 700 "$GNUPGHOME"
cp -r "$work/next/gnupg/." "$GNUPGHOME/"

# A scratch root whose apt takes it for an i386 machine, with LINE as its
# sources.list (FEED in it for the feed's folder).
apt_root() {  # root line feed
  local root=$1
  mkdir -p "$root"/etc/apt/{apt.conf.d,preferences.d,sources.list.d,trusted.gpg.d} \
    "$root"/var/lib/apt/lists/partial "$root"/var/cache/apt/archives/partial "$root"/var/log/apt \
    "$root"/var/lib/dpkg/{info,updates}
  touch "$root/var/lib/dpkg/status"
  dpkg --root="$root" --add-architecture i386
  cat >"$root/etc/apt/apt.conf" <<CONF
Dir "$root/";
Dir::State::status "$root/var/lib/dpkg/status";
APT::Architecture "i386";
APT::Architectures { "i386"; };
APT::Sandbox::User "root";
DPkg::Options { "--root=$root"; "--log=$root/var/log/dpkg.log"; };
CONF
  echo "${2//URL/file:$3}" >"$root/etc/apt/sources.list"
}

apt_in() {  # root apt-get-arguments...
  local root=$1
  shift
  APT_CONFIG=$root/etc/apt/apt.conf apt-get -q -y "$@"
}

installed() {  # root
  dpkg-query --admindir="$1/var/lib/dpkg" -W -f='${Version}' cellora
}

# The Debian page's line for a feed, its placeholder URL made the folder's.
page=docs/debian.md
readme_line() {  # pattern
  grep -m1 -o "deb \[$1[^]]*\] URL debian/" "$page" || { echo "$page has no \"deb [$1...]\" line"; exit 1; }
}

# Install and upgrade through the feed that LINE names.
install_and_upgrade() {  # name line
  local root=$scratch/$1 feed=$scratch/$1-feed
  cp -r "$dist" "$feed"
  [ "$1" = trusted ] || CELLORA_SIGNING_KEY=checks@cellora.invalid tools/make-release/feeds "$feed"
  apt_root "$root" "$2" "$feed"
  [ "$1" != apt-key ] || APT_CONFIG=$root/etc/apt/apt.conf apt-key add "$keyring"
  apt_in "$root" update
  apt_in "$root" install cellora
  [ "$(installed "$root")" = "$version" ] || { echo "$1: apt did not install $version"; exit 1; }
  cmp "$root/usr/bin/cellora" "$rel/i386/cellora"
  rm -r "$feed" && cp -r "$next" "$feed"
  apt_in "$root" update
  apt_in "$root" upgrade
  [ "$(installed "$root")" = "$newer" ] || { echo "$1: apt did not upgrade to $newer"; exit 1; }
  echo "$1: apt installed $version and upgraded it to $newer through the feed"
}

install_and_upgrade trusted "$(readme_line trusted=yes)"
keyring=$scratch/cellora-archive.gpg
cp "$next/cellora-archive.gpg" "$keyring"
signed_line=$(readme_line signed-by=)
install_and_upgrade signed "${signed_line//\/etc\/apt\/keyrings\/cellora-archive.gpg/$keyring}"
grep -F 'apt-key add cellora-archive.gpg' "$page" >/dev/null || { echo "$page has no apt-key line"; exit 1; }
install_and_upgrade apt-key "deb URL debian/"

# The controls: a feed whose Packages lies about the i386 .deb, its
# Release made again so that only the .deb can be found out.
wrong_sum() {  # field
  local feed=$scratch/wrong-$1 root=$scratch/wrong-$1-root
  cp -r "$dist" "$feed"
  awk -v field="$1:" '$1 == "Architecture:" { arch = $2 }
    $1 == field && arch == "i386" { $2 = substr($2, 2) substr($2, 1, 1) } 1' \
    "$dist/debian/Packages" >"$feed/debian/Packages"
  cmp -s "$dist/debian/Packages" "$feed/debian/Packages" && { echo "the $1 was not changed"; exit 1; }
  tools/make-release/feeds --apt-release "$feed/debian"
  apt_root "$root" "deb [trusted=yes] URL debian/" "$feed"
  apt_in "$root" update && apt_in "$root" install cellora
}
must_fail "apt's install of a .deb whose MD5sum in Packages is wrong" wrong_sum MD5sum
must_fail "apt's install of a .deb whose SHA256 in Packages is wrong" wrong_sum SHA256

other_key() {
  local feed=$scratch/other-key root=$scratch/other-key-root
  cp -r "$dist" "$feed"
  gpg --batch --quiet --passphrase '' --quick-gen-key 'someone else <else@cellora.invalid>' rsa2048 sign never
  gpg --batch --quiet --local-user else@cellora.invalid --armor --detach-sign \
    --output "$feed/debian/Release.gpg" "$feed/debian/Release"
  apt_root "$root" "deb [signed-by=$keyring] URL debian/" "$feed"
  apt_in "$root" update && apt_in "$root" install cellora
}
must_fail "apt's update and install from a Release signed by another key" other_key

# The Debian page's line for a single file, with apt 1.1 and later.
grep -qF "apt install ./cellora_${version}_i386.deb" "$page" || { echo "$page has no apt install ./FILE"; exit 1; }
root=$scratch/file
apt_root "$root" "" ""
(cd "$dist" && APT_CONFIG=$root/etc/apt/apt.conf apt -q -y install "./cellora_${version}_i386.deb")
[ "$(installed "$root")" = "$version" ] || { echo "apt install ./FILE did not install $version"; exit 1; }
echo "apt install ./cellora_${version}_i386.deb installed it"
