#!/bin/bash
# CELLORA_HOMEPAGE in every package of the next release, which is built
# with it: each .deb's Homepage, each RPM's URL and the .ipk's Source,
# the packages still in the form the old tools read; and none in this
# release, built without it: no placeholder.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
url=https://cellora.invalid/
ipk_field() {  # ipk field
  tar -xzOf "$1" ./control.tar.gz | tar -xzO ./control | sed -n "s/^$2: //p"
}
fields() {  # dist
  local package
  for package in "$1"/*.deb; do echo "${package##*/} $(dpkg-deb -f "$package" Homepage)"; done
  for package in "$1"/*.rpm; do echo "${package##*/} $(rpm -qp --qf '%{URL}' "$package" 2>/dev/null)"; done
  for package in "$1"/*.ipk; do echo "${package##*/} $(ipk_field "$package" Source)"; done
}
next=$work/next/dist
got=$(fields "$next")
echo "$got"
[ "$(echo "$got" | grep -cx "[^ ]* $url")" = "$(echo "$got" | wc -l)" ] ||
  { echo "not every package of the next release names $url"; exit 1; }
tools/checks/check-deb-format "$next"/*.deb "$next"/*.ipk
got=$(fields "$dist")
[ "$(echo "$got" | grep -cx '[^ ]* \((none)\)\?')" = "$(echo "$got" | wc -l)" ] || { echo "a package names a homepage it was not given:"; echo "$got"; exit 1; }
echo "without CELLORA_HOMEPAGE, no package names one"
