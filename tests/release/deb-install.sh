#!/bin/bash
# The i386 package installed with dpkg into a scratch root of its own, run
# there with its examples, and removed.  dpkg's database, its architectures
# and the files are the scratch root's, and so is its log (--root alone
# appends to the host's /var/log/dpkg.log): the host's dpkg, /usr and logs
# are not touched.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
# The Debian page's two lines, run here in the scratch root.
page_has docs/debian.md "dpkg -i cellora_${version}_i386.deb"
page_has docs/debian.md "dpkg -r cellora"
root=$scratch/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/log"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --add-architecture i386
in_root=(dpkg --root="$root" --log="$root/var/log/dpkg.log")
"${in_root[@]}" -i "$dist/cellora_${version}_i386.deb"
[ "$(dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${Architecture}' cellora)" = i386 ]
set +e
err=$(with_i386 "$root/usr/bin/cellora" 2>&1 >/dev/null)
rc=$?
block=$(with_i386 "$root/usr/share/cellora/i3blocks-battery")
set -e
echo "installed i386 cellora: status $rc, \"$err\"; i3blocks block: \"$block\""
if [ ! -e /proc/apm ]; then
  if [ $rc -ne 1 ] || [ "$err" != "cellora: Can't read proc info: No such file or directory" ] ||
     [ "$block" != "BAT ?" ]; then
    echo "the installed i386 cellora misbehaved"
    exit 1
  fi
fi
i386_cron_examples "$root/usr/share/cellora"
# The desktops' autostart entry, a conffile that dpkg keeps on removal.
autostart=etc/xdg/autostart/cellora-battery-watch.desktop
cmp "$root/$autostart" packaging/cellora-battery-watch.desktop
dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${Conffiles}' cellora | grep -q " /$autostart " ||
  { echo "/$autostart is not a conffile"; exit 1; }
"${in_root[@]}" -r cellora
[ ! -e "$root/usr/bin/cellora" ] || { echo "dpkg -r left usr/bin/cellora"; exit 1; }
