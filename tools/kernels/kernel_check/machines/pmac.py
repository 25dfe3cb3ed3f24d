# SPDX-License-Identifier: MIT
"""A PowerBook's or iBook's kernel, built here from linux-source
(tinyconfig and tools/kernels/config/pmac.config), under qemu's mac99 with
the PMU, on a G3 (750) and a G4 (7400): drivers/macintosh/apm_emu.c
answers the APM emulation from the PMU, and tools/kernels/apm-test-power, built
against the same tree, takes its place for each value set in one boot;
unloading it brings the PMU's line back.

qemu's mac99 is a desktop PowerMac3,1: the PMU has no battery, and
apm_emu says AC on line and nothing else.  The PMU's battery readings
cannot be had under qemu.  The 603 does not boot in qemu's system mode;
the release's user-mode check runs it.  The AltiVec control must die of
SIGILL on the G3 and run on the G4, or the CPU models prove nothing.

The powerpc binary also runs under tests/old_kernel.cc, which refuses
every PowerPC system call past Linux 2.4's table (207, gettid) with
ENOSYS, as a 2.4 kernel would: it must print the same.  The glibc build,
whose open() is openat (286), must not get as far as a report there, or
the runner refuses nothing; run as it is, it must print the same as the
release binary."""
from kernel_check.record import Control, Machine, SourceKernel, Want
from kernel_check.scenarios import module_scenarios

MACHINE = Machine(
    about="a PowerMac kernel from linux-source, apm_emu and the PMU, on the G3 and the G4",
    kernel=SourceKernel(fragment='pmac.config', arch='powerpc', image='vmlinux',
                        modules=('apm-test-power',)),
    qemu='qemu-system-ppc',
    # via=pmu-adb hangs 4 boots in 9 after "irq 47: nobody cared".
    options=('-M', 'mac99,via=pmu', '-m', '256'),
    cpus=('750', '7400'),
    console='ttyPZ0',
    guest_arch='powerpc',
    binaries=('powerpc', 'altivec', 'glibc-powerpc', 'powerpc-calls-207', 'glibc-ppc-calls-207'),
    controls=(Control('altivec', dies_on=('750',), otherwise=Want(0, 'altivec ran\n')),
              Control('glibc-ppc-calls-207', refused='battery=')),
    scenarios=module_scenarios(stock='1.13 1.2 0x02 0x01 0xff 0xff -1% -1 min'),
)
