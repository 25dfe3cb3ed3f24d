# SPDX-License-Identifier: MIT
"""A Sharp Zaurus SL-C3000 (Spitz), built here from linux-source
(tinyconfig and tools/kernels/config/zaurus.config), under qemu's spitz: an
XScale PXA270 (ARMv5TE), where the board's own power driver,
arch/arm/mach-pxa/sharpsl_pm.c with spitz_pm.c, answers the APM emulation
from the MAX1111 ADC and the charger's GPIOs.

qemu feeds those fixed values (the battery at 0xd0, AC in), and neither a
device property nor a monitor command changes them once the machine runs,
so the driver goes through the same two states at every boot: before its
first battery reading, 500 ms after it has switched the charger on (or
before that, while the charger is still off: the driver's own timer
decides), and after it, charging, with the battery at 88% and AC on line.
Its battery_voltage in sysfs stays 0 until that first reading.  The
kernel is EABI with CONFIG_OABI_COMPAT, as the later Zaurus kernels were,
so the arm binary (the old ABI) runs beside armel.  The armhf binary must
die of SIGILL there, or the CPU model proves nothing."""
from kernel_check.record import Control, Machine, Scenario, SourceKernel, report

MACHINE = Machine(
    about="a Zaurus kernel from linux-source, sharpsl_pm answering the APM emulation",
    kernel=SourceKernel(fragment='zaurus.config', arch='armel', image='arch/arm/boot/zImage'),
    qemu='qemu-system-arm',
    options=('-M', 'spitz'),
    cpus=(),
    console='ttyS0',
    guest_arch='armel',
    binaries=('armel', 'arm', 'armhf'),
    controls=(Control('armhf'),),
    scenarios=(
        Scenario('before-reading', ('1.13 1.2 0x02 0x00 0x03 0x08 0% -1 ?',
                                    '1.13 1.2 0x02 0x00 0x00 0x01 0% -1 ?'), report(0, 'off')),
        Scenario('after-reading', '1.13 1.2 0x02 0x01 0x03 0x08 88% -1 ?', report(88, 'on'),
                 steps=('wait-nonzero /sys/devices/platform/sharpsl-pm/battery_voltage',)),
    ),
)
