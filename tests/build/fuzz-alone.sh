#!/bin/bash
# The fuzz target asked for without the test suite.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
CXX=clang++ cmake -S . -B "$work/build-fuzz-alone" -DCELLORA_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$work/build-fuzz-alone" -j2 --target fuzz_status_line >/dev/null
test -x "$work/build-fuzz-alone/fuzz/fuzz_status_line"
