#!/bin/bash
# Two runs that want the same cache entry at once, on an empty cache: the
# second waits for the first and reuses what it made, where both would
# make it and the slower one's move into place fail.  For the release
# cache, two musl-dev runs; for the kernels', two processes that each
# make one entry under kernel-check's lock.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
export CELLORA_RELEASE_CACHE=$scratch/release
for run in 1 2; do
  tools/make-release/musl-dev i386 >"$scratch/out-$run" 2>"$scratch/err-$run" &
  eval "pid_$run=\$!"
done
# shellcheck disable=SC2154
wait "$pid_1" && wait "$pid_2"
cat "$scratch"/err-*
cmp "$scratch/out-1" "$scratch/out-2"
[ "$(cat "$scratch"/err-* | grep -c '^musl-dev: downloading')" = 1 ] || { echo "musl-dev downloaded twice"; exit 1; }
grep -q '^musl-dev: waiting for another run' "$scratch"/err-* || { echo "neither run waited"; exit 1; }
echo "two musl-dev runs at once: one downloaded, the other waited and took $(cat "$scratch/out-1")"

# Each process makes the entry unless it is there, slowly, as a kernel
# build would, and says which it did.
make_entry='
import sys, time
from pathlib import Path
sys.path.insert(0, "tools/kernels")
from kernel_check.kernels import locked
entry = Path(sys.argv[1])
with locked(entry):
    if entry.exists():
        print("reused")
    else:
        new = Path(f"{entry}.new")
        new.mkdir(parents=True)
        time.sleep(2)
        new.rename(entry)
        print("made")'
entry=$scratch/kernels/build/key
python3 -c "$make_entry" "$entry" >"$scratch/kernel-1" & first=$!
sleep 0.5
python3 -c "$make_entry" "$entry" >"$scratch/kernel-2"
wait "$first"
got=$(cat "$scratch/kernel-1" "$scratch/kernel-2")
echo "$got"
[ "$got" = $'made\nkernel-check: waiting for another run that makes '"$entry"$'\nreused' ] ||
  { echo "the second kernel-check run did not wait for the first and reuse its entry"; exit 1; }
