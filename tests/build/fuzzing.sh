#!/bin/bash
# Sixty seconds of coverage-guided fuzzing against the sscanf oracle.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
fuzz/run-fuzzer 60
