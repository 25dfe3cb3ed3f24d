#!/bin/bash
# A machine of tools/kernel-check given a wrong binary for each one it has
# under test (tools/kernels/wrong-report, built as that release target is
# and shown to run on its oldest CPU), which prints a report of its own:
# every check must fail, or the checks compare nothing.
#
#   tests/kernel/wrong-binary.sh MACHINE
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
[ $# -eq 1 ] || { echo "usage: $0 MACHINE" >&2; exit 2; }
wrong_report() {  # ARCH: the wrong binary for a release target, shown to run here
  local wrong
  wrong=$(release_program kernels/wrong-report "$1" wrong-report)
  # shellcheck disable=SC2046
  [ "$($(tools/qemu-for "$wrong") "$wrong")" = $'battery=50\nac_line=on' ] ||
    { echo "the wrong binary for $1 does not run here" >&2; exit 1; }
  echo "$wrong"
}
given=()
while read -r label arch; do
  wrong=$(wrong_report "$arch")
  given+=("$label=$wrong")
done < <(tools/kernel-check --under-test "$1")
rc=0
out=$(tools/kernel-check "$1" "${given[@]}") || rc=$?
verdict=$(echo "$out" | tail -1)
failed=$(echo "$out" | grep -c '^[a-z0-9-]\+ \+[a-z0-9-]\+ \+FAIL ' || true)
echo "$1, ${given[*]}: $verdict ($failed FAIL lines)"
if [ $rc -ne 1 ] || [ "$verdict" != "kernel-check: $failed of $failed checks failed" ] || [ "$failed" -eq 0 ]; then
  echo "$out"
  echo "the $1 check of a wrong binary: status $rc, not every check failed"
  exit 1
fi
