# SPDX-License-Identifier: MIT
"""A Siemens SX1 (OMAP310): an ARM925T, ARMv4T as the Openmoko's ARM920T,
the s3c24xx iPAQs and the Palm Tungsten|E are, under an EABI kernel built
here from linux-source (tinyconfig and tools/kernels/config/sx1.config),
under qemu's sx1.  Nothing on the board answers the APM emulation, so the
power_supply bridge, apm_power, does, from the kernel's own test battery:
the scenarios are the power-supply machine's, and the kernel writes the
same lines.

The armel binary is under test.  The ARMv5TE control (one clz) must die
of SIGILL in every scenario, or the CPU model proves nothing; the guest's
init is armel's, so ARMv4T code too."""
from pathlib import Path

from kernel_check import load_source
from kernel_check.record import Control, Machine, SourceKernel

POWER_SUPPLY = load_source('kernel_check.machines.power_supply',
                           Path(__file__).with_name('power-supply.py')).MACHINE

MACHINE = Machine(
    about="a Siemens SX1 kernel (ARM925T, ARMv4T, EABI), apm_power bridging test_power",
    kernel=SourceKernel(fragment='sx1.config', arch='armel', image='arch/arm/boot/zImage',
                        files={'test_power.ko': 'drivers/power/supply/test_power.ko'}),
    qemu='qemu-system-arm',
    options=('-M', 'sx1'),
    cpus=(),
    console='ttyS0',
    guest_arch='armel',
    binaries=('armel', 'armv5te'),
    controls=(Control('armv5te'),),
    scenarios=POWER_SUPPLY.scenarios,
)
