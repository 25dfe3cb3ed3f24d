#!/bin/bash
# The mipsel release binary's code, checked on its link: MIPS II only, and
# FPU code only in float formatting.  Control: the same sources linked
# against Debian's musl-dev:mipsel (MIPS32r2 code, and its printf saving
# FPU registers on every call) must fail on both counts and on its header.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
CELLORA_MUSL_ROOT=$(tools/make-release/musl-dev mipsel) cmake --preset release-mipsel >/dev/null
cmake --build --preset release-mipsel >/dev/null
tools/checks/check-mips-isa build-release-mipsel/cellora.link "$rel/mipsel/cellora"
cmake -S . -B "$work/mipsel-debian" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/musl.cmake" -DCELLORA_ARCH=mipsel \
  -DCELLORA_MUSL_ROOT="$(tools/make-release/musl-dev --debian mipsel)" -DBUILD_TESTING=OFF >/dev/null
cmake --build "$work/mipsel-debian" >/dev/null
rc=0
verdict=$(tools/checks/check-mips-isa "$work/mipsel-debian/cellora.link" | tail -1) || rc=$?
echo "$verdict"
if [ $rc -ne 1 ] || ! [[ $verdict =~ :\ 1\ in\ the\ ELF\ header,\ [1-9][0-9]*\ instruction.*\ [1-9][0-9]*\ FPU ]]; then
  echo "CONTROL FAILED: the MIPS II check passed the link against Debian's musl-dev:mipsel"
  exit 1
fi
echo "control: the MIPS II check fails the link against Debian's musl-dev:mipsel"
