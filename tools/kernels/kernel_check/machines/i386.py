# SPDX-License-Identifier: MIT
"""arch/x86/kernel/apm_32.c, as apm.ko in Debian's 686 kernel, asking the
APM BIOS: every scenario boots a SeaBIOS whose APM "get power status"
call answers with values of its own.  The kernel has ACPI, so a boot with
it on shows the driver standing down."""
from kernel_check.record import DebianKernel, Machine
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
    binaries=('glibc-i686', 'i386'),
    # apm.ko leaves the BIOS to its thread kapmd, which may not have run
    # yet when the module is loaded.  Both fail where ACPI is on, where the
    # driver stands down: acpi-on checks what the kernel writes then.
    setup=('-insmod /apm.ko', '-wait-asleep kapmd'),
    scenarios=bios_scenarios(acpi=True),
)
