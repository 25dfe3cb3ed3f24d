# SPDX-License-Identifier: MIT
# Every check that CI runs, each a test with a label, runnable alone:
#
#   cmake --preset checks && cmake --build --preset checks
#   ctest --preset release              # one label: build, release, targets,
#                                       # old-kernel, kernel, mutants, lint
#   ctest --preset release -R ipk       # one check (and the release it needs)
#
# Each runs a short script of tests/LABEL/, with its control beside it.
# The checks that look at a release get it through the fixture release,
# which runs tools/release once a run.  They need the release's cross
# compilers, qemu, and Debian's archive (.ci/run installs what they need).
set(checks_environment CELLORA_BUILD=${PROJECT_BINARY_DIR}
  CELLORA_CHECKS_DIR=${PROJECT_BINARY_DIR}/checks CELLORA_DIST=${PROJECT_BINARY_DIR}/dist)

# cellora_check(NAME LABEL SCRIPT [ARG...]): a check; one that exits 77 is
# skipped, saying why.
function(cellora_check name label script)
  add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/tests/${script} ${ARGN})
  set_tests_properties(${name} PROPERTIES LABELS ${label} ENVIRONMENT "${checks_environment}"
    SKIP_RETURN_CODE 77 TIMEOUT 3000)
endfunction()

# A check of a release: it needs dist/.
function(cellora_release_check name label script)
  cellora_check(${name} ${label} ${script} ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED release)
endfunction()

cellora_check(install_prefix build build/install-prefix.sh)
cellora_check(no_gtest build build/no-gtest.sh)
cellora_check(unreadable_with_capabilities build build/unreadable-caps.sh)
cellora_check(warnings_as_errors build build/werror.sh)
cellora_check(fuzz_target_alone build build/fuzz-alone.sh)
cellora_check(suite_asan build build/preset-suite.sh asan)
cellora_check(fuzzing build build/fuzzing.sh)
cellora_check(suite_tiny build build/preset-suite.sh tiny)
cellora_check(suite_i686 build build/i686-suite.sh)
cellora_check(suite_build_hosts build build/build-hosts.sh)
cellora_check(build_i3status build build/i3status.sh)
cellora_check(build_bars build build/bars.sh)
cellora_check(build_loops build build/loops.sh)

cellora_check(release_dist release release/dist.sh)
set_tests_properties(release_dist PROPERTIES FIXTURES_SETUP release)
cellora_check(release_sources_recovery release release/sources-recovery.sh)
cellora_check(release_cache_locks release release/cache-locks.sh)
cellora_check(release_signing_key release release/signing-key.sh)
cellora_check(release_workflow release release/workflow.sh)
foreach(check reproducible contents tarball-sums old-machine-steps deb-format ipk lintian install-rules
              source-tarball pkgbuild slackbuild apkbuild ebuild docs publish
              deb-install rpm-format rpm-install slackware feed-indexes)
  string(REPLACE "-" "_" name release_${check})
  cellora_release_check(${name} release release/${check}.sh)
endforeach()
# The next release, built after this one (whose caches it shares), which
# the feeds' checks upgrade to.
cellora_release_check(release_next release release/next.sh)
set_tests_properties(release_next PROPERTIES FIXTURES_SETUP next)
foreach(check apt-feed dnf-feed homepage slapt-get)
  string(REPLACE "-" "_" name release_${check})
  cellora_release_check(${name} release release/${check}.sh)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "release;next")
endforeach()

cellora_release_check(targets_glibc_i386 targets targets/glibc-i386.sh)
foreach(target "i386 486" "armel ti925t" "armel arm926" "armhf cortex-a8" "powerpc 603" "mipsel 4Kc"
               "arm sa1100")
  string(REPLACE " " "_" name "targets_e2e_${target}")
  string(REPLACE "-" "_" name ${name})
  separate_arguments(arguments UNIX_COMMAND ${target})
  cellora_release_check(${name} targets targets/e2e.sh ${arguments})
endforeach()
foreach(target "armel qemu-arm ti925t" "armhf qemu-arm cortex-a8" "powerpc qemu-ppc 603"
               "mipsel qemu-mipsel 4Kc" "arm qemu-arm sa1100")
  separate_arguments(arguments UNIX_COMMAND ${target})
  list(GET arguments 0 arch)
  cellora_release_check(targets_syscalls_${arch} targets targets/syscalls.sh ${arguments})
endforeach()
cellora_check(targets_syscalls_controls targets targets/syscalls.sh --controls)
cellora_release_check(targets_arm_code targets targets/arm-code.sh)
cellora_release_check(targets_mips_isa targets targets/mips-isa.sh)
cellora_release_check(targets_benchmark targets targets/benchmark.sh)

cellora_release_check(old_kernel old-kernel old-kernel/old-kernel.sh)

# Real kernels under qemu, one test for each machine that tools/kernel-check
# has a record of, and the same machine given a wrong binary, which must
# fail every check.  tools/kernel-check --prepare fills their cache ahead.
file(GLOB records CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/kernels/kernel_check/machines/[a-z0-9]*.py)
foreach(record ${records})
  get_filename_component(machine ${record} NAME_WE)
  string(REPLACE "-" "_" test ${machine})
  add_test(NAME kernel_check_${test} COMMAND ${PROJECT_SOURCE_DIR}/tools/kernel-check ${machine})
  set_tests_properties(kernel_check_${test} PROPERTIES LABELS kernel TIMEOUT 2400 RUN_SERIAL ON
    FIXTURES_REQUIRED release ENVIRONMENT "${checks_environment}")
  cellora_release_check(kernel_wrong_binary_${test} kernel kernel/wrong-binary.sh ${machine})
  set_tests_properties(kernel_wrong_binary_${test} PROPERTIES RUN_SERIAL ON)
endforeach()

# Each mutant of tests/mutants/mutants.tsv must fail the suite, and the
# control mutant, which no test can see, must survive.
cellora_check(mutants mutants mutants/run ${PROJECT_BINARY_DIR}/checks/mutants)

foreach(check shellcheck pyflakes clang-tidy cppcheck clang-format)
  string(REPLACE "-" "_" name lint_${check})
  cellora_check(${name} lint lint/${check}.sh)
endforeach()
