#!/bin/bash
# The suite where distributions build: in a chroot, whose / is a plain
# folder, not a mount point, and under a seccomp filter that refuses
# unshare, as a container's default profile does.  With the chroot's own
# /proc the end-to-end tests run; without one, or without unshare, they
# skip, saying why, and the suite passes: a skip fails only under
# CELLORA_REQUIRE_E2E=1 (controls: the same runs with it set must fail).
# The chroot is made of the host's folders, bound in a mount namespace of
# its own that ends with the check.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
suite=$build/tests/cellora_tests
no_unshare=$scratch/no-unshare
cc -O2 -Wall -o "$no_unshare" tools/checks/no-unshare.c

# Runs the suite in the chroot, with the chroot's own /proc where PROC is
# "proc", its output in the log.
in_chroot() {  # proc|none [NAME=VALUE...]
  local proc=$1
  shift
  # shellcheck disable=SC2016
  unshare --user --map-root-user --mount --pid --fork sh -ec '
    root=$1 proc=$2 src=$3 bld=$4 suite=$5
    shift 5
    mkdir -p "$root/tmp" "$root/proc"
    mount -t tmpfs tmpfs "$root/tmp"
    for d in /usr /etc /dev "$src" "$bld"; do mkdir -p "$root$d"; mount --rbind "$d" "$root$d"; done
    for d in /bin /sbin /lib /lib32 /lib64 /libx32; do
      if [ -L "$d" ]; then ln -s "$(readlink "$d")" "$root$d"; elif [ -d "$d" ]; then
        mkdir "$root$d"; mount --rbind "$d" "$root$d"; fi
    done
    [ "$proc" = none ] || mount -t proc proc "$root/proc"
    cd "$bld/tests"
    exec chroot "$root" env "$@" "$suite" --gtest_brief=1' \
    in-chroot "$(mktemp -d -p "$scratch")" "$proc" "$PWD" "$build" "$suite" "$@" >"$scratch/log" 2>&1
}

# gtest's summary of the last run, and its first skip's reason.
summary() {
  grep -E '^\[  (PASSED|FAILED|SKIPPED) +\]' "$scratch/log" || true
  grep -m1 -o 'no private mount namespace here: .*' "$scratch/log" || true
}
echo "a chroot with its /proc:"
in_chroot proc CELLORA_REQUIRE_E2E=1 || { tail -30 "$scratch/log"; exit 1; }
summary
echo "a chroot with no /proc:"
in_chroot none CELLORA_REQUIRE_E2E=0 || { tail -30 "$scratch/log"; exit 1; }
summary
must_fail "the suite in a chroot with no /proc, under CELLORA_REQUIRE_E2E=1" \
  in_chroot none CELLORA_REQUIRE_E2E=1
echo "unshare refused:"
CELLORA_REQUIRE_E2E=0 "$no_unshare" "$suite" --gtest_brief=1 >"$scratch/log" 2>&1 ||
  { tail -30 "$scratch/log"; exit 1; }
summary
must_fail "the suite with unshare refused, under CELLORA_REQUIRE_E2E=1" \
  env CELLORA_REQUIRE_E2E=1 "$no_unshare" "$suite" --gtest_brief=1 >/dev/null
