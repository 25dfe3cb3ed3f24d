# SPDX-License-Identifier: MIT
"""A Sharp Zaurus SL-5500 ("collie") as its owners ran it: a StrongARM
SA-1110 (ARMv4) under a kernel with the old ARM ABI only, built here from
linux-source (tinyconfig and tools/kernels/config/collie.config), under
qemu's collie.  Nothing on qemu's board answers the APM emulation (it has
no UCB1x00 and no LoCoMo), so the power_supply bridge, apm_power, does,
from the kernel's own test battery, test_power: the scenarios are the
power-supply machine's, and the kernel writes the same lines.

The arm binary is under test.  Two controls must fail every scenario: the
armel release binary, ARMv4T code (bx) that the SA-1110 refuses (SIGILL), and
an EABI program in ARMv4 code that would print a report of its own, which
only the kernel's ABI refuses.  qemu halts the collie rather than ending
when the guest restarts it; the runner ends it after the guest's last
line."""
from pathlib import Path

from kernel_check import load_source
from kernel_check.record import Control, Machine, SourceKernel

POWER_SUPPLY = load_source('kernel_check.machines.power_supply',
                           Path(__file__).with_name('power-supply.py')).MACHINE

MACHINE = Machine(
    about="a StrongARM Zaurus kernel with the old ABI only, apm_power bridging test_power",
    kernel=SourceKernel(fragment='collie.config', arch='arm', image='arch/arm/boot/zImage',
                        files={'test_power.ko': 'drivers/power/supply/test_power.ko'}),
    qemu='qemu-system-arm',
    options=('-M', 'collie'),
    cpus=(),
    console='ttySA1',
    guest_arch='arm',
    binaries=('arm', 'armel', 'eabi-armv4'),
    controls=(Control('armel'), Control('eabi-armv4', refused='battery=50\nac_line=on\n')),
    scenarios=POWER_SUPPLY.scenarios,
)
