#!/bin/bash
# Warnings as errors, as the release builds.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
cmake -S . -B "$work/build-werror" -DCELLORA_WERROR=ON >/dev/null
cmake --build "$work/build-werror" -j2
