#!/bin/bash
# The end-to-end suite against a release binary under qemu-user on a CPU
# model, after that model's control: a program it must refuse, which shows
# that qemu enforces what the model lacks.
#
#   tests/targets/e2e.sh ARCH CPU
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
[ $# -eq 2 ] || { echo "usage: $0 ARCH CPU" >&2; exit 2; }
arch=$1 cpu=$2
declare -A qemu=([i386]=qemu-i386 [armel]=qemu-arm [armhf]=qemu-arm [arm]=qemu-arm [powerpc]=qemu-ppc
                  [mipsel]=qemu-mipsel)

# PROGRAM must die of SIGILL (132) on CPU and, where given, print RAN on
# LATER.
dies_on() {  # CPU PROGRAM [LATER RAN]
  local rc=0 out
  "${qemu[$arch]}" -cpu "$1" "$2" >/dev/null 2>&1 || rc=$?
  echo "control: ${2##*/} under ${qemu[$arch]} -cpu $1: status $rc (132: SIGILL)"
  [ $rc -eq 132 ] || { echo "CONTROL FAILED: qemu's $1 ran it: the suite would prove nothing"; exit 1; }
  [ $# -eq 2 ] && return
  out=$("${qemu[$arch]}" -cpu "$3" "$2")
  [ "$out" = "$4" ] || { echo "CONTROL FAILED: qemu's $3 did not run it: \"$out\""; exit 1; }
  echo "control: ${2##*/} under -cpu $3 says \"$out\""
}

case "$arch $cpu" in
  "i386 486")
    cmake --preset i386 >/dev/null && cmake --build --preset i386 >/dev/null
    dies_on 486 "$PWD/build-i386/cellora" ;;
  "armel ti925t") dies_on ti925t "$(release_program checks/armv5te armel armv5te)" arm926 "armv5te ran" ;;
  "powerpc 603") dies_on 603 "$(release_program checks/altivec powerpc altivec)" 7400 "altivec ran" ;;
  "mipsel 4Kc") dies_on 4Kc "$(release_program checks/mips32r2 mipsel mips32r2)" 24Kf "mips32r2 ran" ;;
  "arm sa1100") dies_on sa1100 "$rel/armel/cellora" ;;
  *) echo "no control for $arch on $cpu" ;;
esac
runner "$scratch/run" "${qemu[$arch]}" -cpu "$cpu" "$rel/$arch/cellora"
end_to_end "$scratch/run"
