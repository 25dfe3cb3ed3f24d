#!/bin/bash
# The unreadable status file and the ones read as their mode allows, with
# the file-reading capabilities inherited as well: the test must drop them
# from every set to see a refusal.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
setpriv --inh-caps=+dac_override,+dac_read_search --ambient-caps=+dac_override,+dac_read_search \
  "$build/tests/cellora_tests" --gtest_filter='*UnreadableFile*:*ReadOnly*' --gtest_brief=1
