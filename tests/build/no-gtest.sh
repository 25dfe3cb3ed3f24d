#!/bin/bash
# A compiler and CMake are enough: a build without GoogleTest gives
# cellora, and then the README's test command fails rather than pass on
# no test at all.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
cmake -S . -B "$work/build-nogtest" -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON | grep "GoogleTest not found"
cmake --build "$work/build-nogtest" -j2
test -x "$work/build-nogtest/cellora"
must_fail "the README's test command with no test built" \
  ctest --test-dir "$work/build-nogtest" --no-tests=error
