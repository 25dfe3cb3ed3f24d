#!/bin/bash
# The ARM release binaries' code, checked on their links: arm old-ABI
# ARMv4, armel EABI ARMv4T with build attributes that say v4T.  Control:
# armel linked as it was, against Debian's musl-dev:armel and the
# compiler's libgcc (ARMv5TE code), must fail the ARMv4T check on its
# instructions, and the old-ABI check on both counts.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
CELLORA_KLIBC_ROOT=$(tools/make-release/klibc-dev arm) cmake --preset release-arm >/dev/null
cmake --build --preset release-arm >/dev/null
tools/checks/check-arm-code build-release-arm/cellora.link "$rel/arm/cellora"
CELLORA_MUSL_ROOT=$(tools/make-release/musl-dev armel) cmake --preset release-armel >/dev/null
cmake --build --preset release-armel >/dev/null
tools/checks/check-arm-code --armv4t build-release-armel/cellora.link "$rel/armel/cellora"
readelf -A "$rel/armel/cellora" | grep -x ' *Tag_CPU_arch: v4T'
cmake -S . -B "$work/armel-debian" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/musl.cmake" -DCELLORA_ARCH=armel \
  -DCELLORA_MUSL_ROOT="$(tools/make-release/musl-dev --debian armel)" -DBUILD_TESTING=OFF >/dev/null
cmake --build "$work/armel-debian" >/dev/null
for mode in --armv4t ''; do
  rc=0
  # shellcheck disable=SC2086
  verdict=$(tools/checks/check-arm-code $mode "$work/armel-debian/cellora.link" | tail -1) || rc=$?
  echo "$verdict"
  calls='[0-9]+'
  [ -n "$mode" ] || calls='[1-9][0-9]*'
  if [ $rc -ne 1 ] || ! [[ $verdict =~ \ $calls\ system\ call.*\ [1-9][0-9]*\ instruction ]]; then
    echo "CONTROL FAILED: the code check ${mode:-(old ABI)} passed the link against Debian's musl-dev:armel"
    exit 1
  fi
  echo "control: the code check ${mode:-(old ABI)} fails the link against Debian's musl-dev:armel"
done
