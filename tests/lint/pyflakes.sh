#!/bin/bash
# pyflakes on every Python file and script of the project.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
mapfile -t programs < <(git ls-files | while read -r f; do
  [ -f "$f" ] && { [[ $f == *.py ]] || head -1 "$f" | grep -q '^#!.*python'; } && echo "$f"; done)
echo "${#programs[@]} files"
pyflakes3 "${programs[@]}"
