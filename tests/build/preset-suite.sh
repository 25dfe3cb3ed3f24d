#!/bin/bash
# The whole suite of another preset: asan (ASan and UBSan) or tiny (the
# static musl binary built for size).
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
[ $# -eq 1 ] || { echo "usage: $0 PRESET" >&2; exit 2; }
cmake --preset "$1" >/dev/null
cmake --build --preset "$1" -j2
ctest --preset "$1"
