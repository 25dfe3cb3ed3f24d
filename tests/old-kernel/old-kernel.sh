#!/bin/bash
# The i386 release binary on old kernels: the end-to-end suite with every
# i386 system call past Linux 2.0's table (163) and late 2.4's (252)
# failing with ENOSYS.  Control: the static glibc build must run as it is
# and die under 163.  old-kernel filters the kernel's own i386 calls, so
# on a machine whose kernel runs no i386 code the test is skipped (77);
# kernel_check_i386 runs the same filter on a real i386 kernel.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
if ! i386_native; then
  echo "SKIPPED: this machine's kernel runs no 32-bit x86 code, which old-kernel needs;" \
    "kernel_check_i386 runs the i386 binary under it on Debian's i386 kernel"
  exit 77
fi
cmake --preset i386 >/dev/null
cmake --build --preset i386 >/dev/null
rc_old=0 rc_new=0
"$build/tests/old-kernel" 163 build-i386/cellora >/dev/null 2>&1 || rc_old=$?
build-i386/cellora >/dev/null 2>&1 || rc_new=$?
echo "control: the static glibc i386 build: status $rc_new as it is, $rc_old under old-kernel 163"
if [ $rc_new -ne 1 ] || [ $rc_old -lt 128 ]; then
  echo "CONTROL FAILED: the glibc build must run as it is and die under old-kernel 163"
  exit 1
fi
for calls in 163 252; do
  runner "$scratch/run-$calls" "$build/tests/old-kernel" "$calls" "$rel/i386/cellora"
  echo "--- i386 with the system calls up to $calls"
  end_to_end "$scratch/run-$calls"
done
