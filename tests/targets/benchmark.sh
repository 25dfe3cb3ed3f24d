#!/bin/bash
# The start-up benchmark, short: its instruction and size targets enforced
# for the developers' build, the tiny one and every release binary.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
cmake --preset tiny >/dev/null
cmake --build --preset tiny -j2 >/dev/null
bench/startup --check --rounds 100 default="$build/cellora" tiny="$PWD/build-tiny/tiny/cellora" \
  i386="$rel/i386/cellora" armel="$rel/armel/cellora" armhf="$rel/armhf/cellora" \
  powerpc="$rel/powerpc/cellora" mipsel="$rel/mipsel/cellora" arm="$rel/arm/cellora"
