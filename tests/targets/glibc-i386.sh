#!/bin/bash
# The end-to-end suite against the static glibc i386 build (an i686
# binary): as it is, or, where the kernel runs no i386 code, under
# qemu-i386 on qemu's own CPU.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
cmake --preset i386 >/dev/null
cmake --build --preset i386 -j2
if i386_native; then
  end_to_end "$PWD/build-i386/cellora"
else
  runner "$scratch/run" qemu-i386 "$PWD/build-i386/cellora"
  end_to_end "$scratch/run"
fi
