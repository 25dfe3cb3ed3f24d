#!/bin/bash
# The system calls a release binary makes, under qemu-user on its oldest
# CPU, held against the first kernels of tools/checks/syscalls.  Controls:
# a static glibc binary, which makes calls the list lacks, and a stand-in
# for qemu that logs a call it cannot name, must fail the check.
#
#   tests/targets/syscalls.sh ARCH QEMU CPU | tests/targets/syscalls.sh --controls
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
if [ "${1:-}" != --controls ]; then
  [ $# -eq 3 ] || { echo "usage: $0 ARCH QEMU CPU | --controls" >&2; exit 2; }
  tools/checks/check-syscalls "$1" "$2" -cpu "$3" "$rel/$1/cellora"
  exit
fi
arm-linux-gnueabihf-g++ -static -O2 -Isrc -DCELLORA_VERSION=\"glibc\" src/apm_status.cc src/cellora.cc \
  -o "$scratch/glibc-armhf"
must_fail "the system call check of a glibc binary" \
  tools/checks/check-syscalls armhf qemu-arm -cpu cortex-a8 "$scratch/glibc-armhf"
# fake-qemu -strace -D LOG BINARY: writes $FAKE_STRACE to LOG, then runs
# the binary natively.
cat >"$scratch/fake-qemu" <<'SH'
#!/bin/sh
printf '%s\n' "$FAKE_STRACE" >"$3"
shift 3
exec "$@"
SH
chmod 755 "$scratch/fake-qemu"
FAKE_STRACE='1 read(3,0x0,99) = 0' tools/checks/check-syscalls armhf "$scratch/fake-qemu" "$build/cellora"
must_fail "the system call check of a call qemu could not name" \
  env FAKE_STRACE=$'1 read(3,0x0,99) = 0\n1 Unknown syscall 4000' \
  tools/checks/check-syscalls armhf "$scratch/fake-qemu" "$build/cellora"
