#!/bin/bash
# The release workflow is a valid workflow by the forge's schema, as
# action-validator (a pinned version from npm, installed into the checks
# folder) reads it, and it runs tools/publish; control: the workflow
# with a key misspelt must fail the validator.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
workflow=.github/workflows/release.yml
validator=$work/action-validator/node_modules/.bin/action-validator
if [ ! -x "$validator" ]; then
  command -v npm >/dev/null || { echo "no npm: the validator comes from npm's registry"; exit 1; }
  mkdir -p "$work/action-validator"
  (cd "$work/action-validator" && npm install --no-save --no-audit --no-fund --loglevel=error \
    @action-validator/cli@0.6.0 >/dev/null)
fi
"$validator" "$workflow"
# shellcheck disable=SC2016
grep -qF 'tools/publish "$GITHUB_REF_NAME"' "$workflow" || { echo "$workflow does not run tools/publish"; exit 1; }
echo "$workflow: valid, and it runs tools/publish"
sed 's/^    runs-on:/    runs_on:/' "$workflow" >"$scratch/misspelt.yml"
quietly() { "$@" >"$scratch/quiet.log" 2>&1; }
must_fail "the validator on the workflow with runs-on misspelt" quietly "$validator" "$scratch/misspelt.yml"
grep -q "Additional property 'runs_on' is not allowed" "$scratch/quiet.log" ||
  { cat "$scratch/quiet.log"; echo "the validator failed for another reason"; exit 1; }
