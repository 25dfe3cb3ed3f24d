# shellcheck shell=bash disable=SC2034  # the variables are for the scripts that source it
# What every check script of tests/LABEL/ starts with: strict mode, the
# source tree as the working folder, and the helpers they share.  CTest
# runs them from the checks preset, which sets CELLORA_BUILD (the build
# folder: the test suite, old-kernel, and the release in its dist/, or in
# CELLORA_DIST) and CELLORA_CHECKS_DIR (where the
# release's unpacked binaries and other shared results are kept).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
build=${CELLORA_BUILD:?"run the checks through ctest: cmake --preset checks, then ctest --preset LABEL"}
work=${CELLORA_CHECKS_DIR:-$build/checks}
mkdir -p "$work"
# The release the checks look at: tools/release writes it there, never
# into the source tree's dist/, which is the developer's.
export CELLORA_DIST=${CELLORA_DIST:-$build/dist}
dist=$CELLORA_DIST
rel=$work/release  # rel/ARCH: each release tarball, unpacked
version=$(dpkg-parsechangelog -l packaging/changelog -S Version)
# A placeholder address of the reserved .invalid domain, so that lintian
# checks the Maintainer's form.
export CELLORA_MAINTAINER=${CELLORA_MAINTAINER:-The cellora developers <ci@cellora.invalid>}
export PYTHONDONTWRITEBYTECODE=1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A control: COMMAND must fail, or the check beside it proves nothing.
must_fail() {  # WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then
    echo "CONTROL FAILED: $what passed, and must not"
    exit 1
  fi
  echo "control: $what fails, as it must"
}

# The end-to-end suite against BINARY, or a script that runs one.
end_to_end() {  # BINARY
  CELLORA_BIN=$1 "$build/tests/cellora_tests" --gtest_filter='*EndToEnd*' --gtest_brief=1
}

# Builds a CMake project of tools/ as the release target ARCH is built
# (klibc for arm, musl for the others) into the checks folder, and prints
# the program NAME it makes.
release_program() {  # FOLDER ARCH NAME
  local toolchain
  if [ "$2" = arm ]; then
    toolchain=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/klibc.cmake" -DCELLORA_KLIBC_ROOT="$(tools/make-release/klibc-dev arm)")
  else
    toolchain=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/musl.cmake" -DCELLORA_ARCH="$2"
               -DCELLORA_MUSL_ROOT="$(tools/make-release/musl-dev "$2")")
  fi
  cmake -S "tools/$1" -B "$work/$3-$2" "${toolchain[@]}" >/dev/null
  cmake --build "$work/$3-$2" >/dev/null
  echo "$work/$3-$2/$3"
}

# Writes a script that runs a binary under test through another program,
# for CELLORA_BIN.
runner() {  # script command...
  local script=$1
  shift
  printf '#!/bin/sh\nexec %s "$@"\n' "$*" >"$script"
  chmod 755 "$script"
}

# Runs the installed examples in FOLDER as cron would, with PATH=/usr/bin:/bin,
# on a status line of ours: they must find the cellora installed with them.
cron_examples() {  # folder
  local got
  got=$(PATH=/usr/bin:/bin tools/try-status '1.16ac 1.2 0x03 0x00 0x00 0x01 7% 30 min' "$1/low-battery")
  [ "$got" = "battery low: 7% left" ] || { echo "$1/low-battery under cron's PATH: \"$got\""; exit 1; }
  got=$(PATH=/usr/bin:/bin tools/try-status '1.16ac 1.2 0x03 0x01 0x03 0x09 87% 120 min' "$1/i3blocks-battery")
  [ "$got" = "BAT 87% AC" ] || { echo "$1/i3blocks-battery under cron's PATH: \"$got\""; exit 1; }
  echo "the examples in $1 work under cron's PATH"
}

# Runs COMMAND with Slackware's own tools and slapt-get (built once into
# the checks folder by tools/checks/slackware-tools) through
# tools/checks/slackware-root, with ROOT the root they install into; its
# output in $scratch/slackware.log, shown when it fails.
slackware() {  # root command...
  local root=$1
  shift
  [ -n "${slackware_tools:-}" ] || slackware_tools=$(tools/checks/slackware-tools "$work/slackware-tools")
  ROOT=$root tools/checks/slackware-root "$slackware_tools" "$@" >"$scratch/slackware.log" 2>&1 </dev/null ||
    { tail -40 "$scratch/slackware.log"; echo "$1 failed"; return 1; }
}

# Copies the tree's files, those git tracks and the new ones it does not
# ignore, as they stand in the working tree, into FOLDER.
copy_tree() {  # folder
  mkdir -p "$1"
  git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' file; do
    [ ! -e "$file" ] || cp --parents -P "$file" "$1/"
  done
}

# Whether this machine's kernel runs i386 programs (tools/qemu-for asks it).
i386_native() { [ -z "$(tools/qemu-for "$rel/i386/cellora")" ]; }

# Runs a command where this machine runs i386 programs: as it is, or,
# where the kernel runs no 32-bit x86 code, with qemu-i386 on the 486
# registered for them in a binfmt_misc of a user namespace of its own
# (Linux 6.7 and later), which leaves the host as it was.  A shell
# function runs as "bash -c".
with_i386() {
  if i386_native; then "$@"; return; fi
  local i386=':cellora-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  i386+=':\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  i386+=":$(command -v qemu-i386):F"
  # shellcheck disable=SC2016
  QEMU_CPU=486 I386="$i386" unshare --user --map-root-user --mount sh -c '
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc &&
    printf "%s" "$I386" >/proc/sys/fs/binfmt_misc/register && exec "$@"' with-i386 "$@"
}

# cron_examples FOLDER where i386 programs run.
i386_cron_examples() {  # folder
  with_i386 bash -c "$(declare -f cron_examples); cron_examples $1"
}

# The compiler flags of Arch Linux 32's makepkg.conf for the i686, and the
# linker flags of Arch's.
i686_flags="-march=i686 -mtune=generic -O2 -pipe -fno-plt"
arch_ldflags="-Wl,-O1,--sort-common,--as-needed,-z,relro,-z,now"

# GoogleTest built from Debian's source of it (libgtest-dev) for the i686
# with those flags, once, into the checks folder; prints its prefix, for
# GTest_ROOT or GTest_DIR.
i686_googletest() {
  local gtest=$work/i686-googletest
  if [ ! -e "$gtest/prefix/lib/cmake/GTest" ]; then
    if ! { cmake -S /usr/src/googletest -B "$gtest/build" -DCMAKE_C_COMPILER=i686-linux-gnu-gcc \
             -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/i686-linux-gnu.cmake" -DCMAKE_CXX_FLAGS="$i686_flags" \
             -DCMAKE_INSTALL_PREFIX="$gtest/prefix" && cmake --build "$gtest/build" -j2 &&
           cmake --install "$gtest/build"; } >"$gtest.log" 2>&1; then
      cat "$gtest.log" >&2
      return 1
    fi
  fi
  echo "$gtest/prefix"
}

# Runs a command as root: as it is where the checks run as root, else as
# root of a user namespace of its own.
as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else unshare --user --map-root-user "$@"; fi
}

# Runs a command as a user without privileges (nobody, where the checks
# run as root), in a clean environment but for PATH, HOME (the folder
# given) and the variables named.
as_user() {  # home NAME=VALUE... -- command...
  local home=$1 vars=()
  shift
  while [ "$1" != -- ]; do vars+=("$1"); shift; done
  shift
  local who=()
  [ "$(id -u)" != 0 ] || who=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  "${who[@]}" env -i PATH="$PATH" HOME="$home" LC_ALL=C \
    ${CELLORA_REQUIRE_E2E:+CELLORA_REQUIRE_E2E=$CELLORA_REQUIRE_E2E} "${vars[@]}" "$@"
}

# A folder that as_user's user owns, in the scratch folder.
user_folder() {  # path
  chmod 755 "$scratch"
  mkdir -p "$1"
  [ "$(id -u)" != 0 ] || chown 65534:65534 "$1"
}

# Fails unless a fenced block of PAGE holds COMMAND as a line of its own
# (a trailing "# comment" aside): the check that calls it runs that
# command, in a scratch root of its own.
page_has() {  # page command
  awk '/^```/ { inside = !inside; next } inside { sub(/ +#.*$/, ""); print }' "$1" | grep -qxF -- "$2" ||
    { echo "$1 has no line \"$2\" in a block"; exit 1; }
}
