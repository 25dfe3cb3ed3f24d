# SPDX-License-Identifier: MIT
"""arch/x86/kernel/apm_32.c, as apm.ko in Debian's 686 kernel, asking the
APM BIOS: every scenario boots a SeaBIOS whose APM "get power status"
call answers with values of its own.  The kernel has ACPI, so a boot with
it on shows the driver standing down.

The i386 binary also runs under tests/old_kernel.cc, which refuses every
i386 system call past Linux 2.0's table (163) or late 2.4's (252) with
ENOSYS, as those kernels would: it must print the same.  The glibc i686
build must not get as far as a report under 163, or the runner refuses
nothing."""
from kernel_check.record import Control, DebianKernel, Machine
from kernel_check.scenarios import bios_scenarios

MACHINE = Machine(
    about="Debian's i386 kernel with apm.ko, on a patched SeaBIOS",
    kernel=DebianKernel(arch='i386', metapackage='linux-image-686',
                        files={'apm.ko': 'lib/modules/*/kernel/arch/x86/kernel/apm.ko'}),
    qemu='qemu-system-i386',
    options=('-m', '256', '-smp', '1'),
    cpus=('qemu32',),
    console='ttyS0',
    guest_arch='i386',
    binaries=('glibc-i686', 'i386', 'i386-calls-163', 'i386-calls-252', 'glibc-calls-163'),
    controls=(Control('glibc-calls-163', refused='battery='),),
    # apm.ko leaves the BIOS to its thread kapmd, which may not have run
    # yet when the module is loaded.  Both fail where ACPI is on, where the
    # driver stands down: acpi-on checks what the kernel writes then.
    setup=('-insmod /apm.ko', '-wait-asleep kapmd'),
    scenarios=bios_scenarios(acpi=True),
)
