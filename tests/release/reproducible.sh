#!/bin/bash
# tools/release gives the same bytes in a clone at another path and in a
# git archive export, without git.  Both build the committed HEAD: where
# they differ, tools/checks/diff-dist names the package, member and file.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
same_dist() {  # DIST HOW
  tools/checks/diff-dist "$dist" "$1" && return
  echo "tools/release gave other bytes $2, from the committed HEAD" \
    "$([ -z "$(git status --porcelain)" ] || echo "(this tree has uncommitted changes, which it lacks)")"
  exit 1
}
other=$scratch/another/clone
git clone -q . "$other"
(cd "$other" && CELLORA_DIST=$other/dist tools/release >/dev/null)
same_dist "$other/dist" "in a clone at another path"
export_dir=$scratch/an/export
mkdir -p "$export_dir"
git archive HEAD | tar -xf - -C "$export_dir"
[ ! -e "$export_dir/.git" ]
(cd "$export_dir" && CELLORA_DIST=$export_dir/dist tools/release >/dev/null)
same_dist "$export_dir/dist" "in a git archive export"
echo "the three release folders are byte for byte the same"
