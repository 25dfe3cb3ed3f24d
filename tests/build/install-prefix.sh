#!/bin/bash
# cmake --install into a folder of its own: the binary, the examples, a
# lint-clean manual page, the README and the autostart entry, nothing
# outside the folder, and the examples run as cron would run them from
# there.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix"
test -x "$prefix/bin/cellora"
for example in i3blocks-battery low-battery screen-battery battery-watch low-battery-wall i3status-battery; do test -x "$prefix/share/cellora/$example"; done
page=$prefix/share/man/man1/cellora.1
test -s "$page"
lint=$(groff -man -ww -z "$page" 2>&1)
[ -z "$lint" ] || { echo "$lint"; exit 1; }
test -s "$prefix/share/doc/cellora/README.md"
cmp "$prefix/etc/xdg/autostart/cellora-battery-watch.desktop" packaging/cellora-battery-watch.desktop
cron_examples "$prefix/share/cellora"
