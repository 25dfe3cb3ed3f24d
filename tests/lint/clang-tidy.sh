#!/bin/bash
# clang-tidy on the program's sources, with the checks of .clang-tidy.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
cmake -S . -B "$work/tidy" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
clang-tidy --quiet -p "$work/tidy" src/*.cc
