#!/bin/bash
# The status bars page's loops (docs/status-bars.md) end with their
# session: dwm's xsetroot loop from ~/.xinitrc when X ends, the xterm title
# loop from the xterm's shell when the xterm does, and the loop for a
# screen without backtick when that screen does.  tools/screenshots runs each as written but for a
# poll of a second in place of a minute, under Xvfb with Debian's dwm,
# xterm, sh and screen, ends X, and then everything the loop started must
# be gone within three seconds.  (build_bars reads what each one shows.)
# Control: the same loops in the form "while :; do ...; sleep 1; done" must
# outlive X for dwm and the xterm.  (screen's ends all the same: screen
# hangs up its windows when it quits.)
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
loops=$(grep -l '^ends=yes' tools/shots/* | xargs -n1 basename)
[ "$(echo "$loops" | wc -l)" -eq 3 ] || { echo "three loops, not: $loops"; exit 1; }
# shellcheck disable=SC2086  # the names
tools/screenshots -b "$build/cellora" -o "$scratch/shots" -w 3 -e 's/sleep 60/sleep 1/' $loops >/dev/null
echo "the loops of ${loops//$'\n'/, } ended with their sessions"

outlives() {  # name: the loop in the old form outlives its session
  tools/screenshots -b "$build/cellora" -o "$scratch/old" -w 3 \
    -e 's/while \(.*\); do sleep 60; done/while :; do \1; sleep 1; done/' "$1" 2>"$scratch/said" >/dev/null
  local rc=$?
  grep -q "what its recipe started outlived its session" "$scratch/said" || { cat "$scratch/said"; return 1; }
  return $rc
}
for name in dwm xterm-title; do
  must_fail "the ending of $name's loop in the old form" outlives "$name"
done
