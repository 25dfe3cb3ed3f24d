# SPDX-License-Identifier: MIT
"""A 486 laptop's kernel, built here from linux-source (tinyconfig and
tools/kernels/config/i486.config: the APM driver built in, no PCI, no
ACPI), with 32 MiB, on qemu's 486 and again on its Pentium, with the same
BIOSes as the i386 machine.  Nothing in the guest needs more than a 486,
and the glibc i686 build must die there of SIGILL, or the CPU model
proves nothing."""
from kernel_check.record import Control, Machine, SourceKernel
from kernel_check.scenarios import bios_scenarios

MACHINE = Machine(
    about='a 486 laptop kernel from linux-source, on the 486 and the Pentium',
    kernel=SourceKernel(fragment='i486.config', arch='i386', image='arch/x86/boot/bzImage'),
    qemu='qemu-system-i386',
    options=('-m', '32', '-smp', '1'),
    cpus=('486', 'pentium'),
    console='ttyS0',
    guest_arch='i386',
    binaries=('glibc-i686', 'i386'),
    controls=(Control('glibc-i686'),),
    scenarios=bios_scenarios(acpi=False),
)
