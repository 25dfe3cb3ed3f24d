#!/bin/bash
# Every C and C++ source formatted as .clang-format says.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
mapfile -t sources < <(git ls-files '*.cc' '*.h' 'bench/*.c')
clang-format --dry-run --Werror "${sources[@]}"
