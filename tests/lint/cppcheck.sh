#!/bin/bash
# cppcheck on the program's sources.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
cppcheck --enable=warning,performance,portability --error-exitcode=1 --std=c++17 -q src/
