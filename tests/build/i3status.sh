#!/bin/bash
# The status bars page's i3 lines, run as i3bar runs its status_command:
# Debian's i3status, through examples/i3status-battery (where the page's
# /usr/share/cellora is), with a status line at /proc/apm by try-status;
# what i3bar gets is read as the i3bar protocol: the header, the array, and
# each line's blocks, cellora's first ("BAT 87% AC" on mains, urgent "BAT
# 7%" low on battery), then i3status's own.  Control: i3status alone must
# fail the same reading.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
page=docs/status-bars.md
page_has "$page" "    status_command /usr/share/cellora/i3status-battery"
page_has "$page" "exec --no-startup-id /usr/share/cellora/battery-watch"
command=$(awk '/^```/ { inside = !inside; next } inside && /status_command/ { print $2; exit }' "$page")
command=${command/\/usr\/share\/cellora/$PWD/examples}
cat >"$scratch/i3status.conf" <<'CONF'
general {
        output_format = "i3bar"
        interval = 1
}
order += "tztime local"
tztime local {
        format = "%H:%M"
}
CONF
# What i3bar reads of a bar command in its first two seconds.
bar() {  # status-line command
  printf '#!/bin/sh\ntimeout 2 %s -c %s 2>/dev/null\nexit 0\n' "$2" "$scratch/i3status.conf" >"$scratch/bar"
  chmod 755 "$scratch/bar"
  PATH=$build:$PATH tools/try-status "$1" "$scratch/bar"
}
# The i3bar protocol's reading, and cellora's block first with TEXT.
reads() {  # want-text want-urgent
  python3 -c '
import json, sys
lines = sys.stdin.read().splitlines()
assert json.loads(lines[0]) == {"version": 1}, lines[0]
assert lines[1] == "[", lines[1]
updates = [json.loads(line.lstrip(",")) for line in lines[2:]]
assert updates, "no status line"
for blocks in updates:
    first = blocks[0]
    assert first.get("name") == "cellora", first
    assert first["full_text"] == sys.argv[1], first
    assert first.get("urgent", False) == (sys.argv[2] == "urgent"), first
    assert any(b.get("name") == "tztime" for b in blocks[1:]), blocks
print(f"i3bar got {len(updates)} status lines, the first {json.dumps(updates[0])}")' "$@"
}
bar '1.16ac 1.2 0x03 0x01 0x03 0x09 87% 120 min' "$command" | reads "BAT 87% AC" plain
bar '1.16ac 1.2 0x03 0x00 0x03 0x09 7% 20 min' "$command" | reads "BAT 7%" urgent
bar '1.16ac 1.2 0x03 0x00 0x03 0x09 7% 20 min' i3status >"$scratch/alone"
alone_reads() { reads "BAT 7%" urgent <"$scratch/alone" 2>/dev/null; }
must_fail "the reading of i3status alone" alone_reads
