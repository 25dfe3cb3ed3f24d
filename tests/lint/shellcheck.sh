#!/bin/bash
# Every shell script of the project, through shellcheck.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
mapfile -t scripts < <(git ls-files | while read -r f; do
  [ -f "$f" ] && head -1 "$f" | grep -qE '^#!.*(ba)?sh' && echo "$f"; done)
scripts+=(tests/lib/checks.sh)
echo "${#scripts[@]} scripts"
shellcheck -x "${scripts[@]}"
