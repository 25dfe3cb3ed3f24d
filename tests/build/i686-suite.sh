#!/bin/bash
# The whole suite built as Arch Linux 32 builds it for the i686 (its
# makepkg.conf's flags) with Debian's i686 cross compiler, and run on this
# machine, whose kernel runs i386 programs: every test passes or skips
# saying why.  GoogleTest is built from Debian's source of it the same
# way; the programs are linked static, for this machine has no i386 C
# library.  Control: the old-kernel runner built so is refused its own
# execve under the empty table with which the 64-bit one starts /bin/sh.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
log=$scratch/build.log
# The static links' warnings of glibc's resolver, which no test uses, go
# to the log, shown when a build fails.
built() { "$@" >"$log" 2>&1 || { cat "$log"; exit 1; }; }
gtest=$(i686_googletest)
b=$work/i686-suite
cmake -S . -B "$b" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/i686-linux-gnu.cmake" -DCMAKE_CXX_FLAGS="$i686_flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-static $arch_ldflags" -DGTest_DIR="$gtest/lib/cmake/GTest" -DCELLORA_WERROR=ON >/dev/null
built cmake --build "$b" -j2
file "$b/tests/cellora_tests" | grep -q 'ELF 32-bit LSB.*Intel 80386' ||
  { echo "the suite is not an i386 program: $(file "$b/tests/cellora_tests")"; exit 1; }
ctest --test-dir "$b" -j2 --output-on-failure --no-tests=error | tail -4
must_fail "the i686 runner under an empty table, as the 64-bit one starts /bin/sh" \
  "$b/tests/old-kernel" 0 /bin/sh -c 'exit 0'
