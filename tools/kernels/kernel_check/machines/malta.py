# SPDX-License-Identifier: MIT
"""A MIPS kernel, 32-bit little-endian (mipsel), built here from
linux-source (tinyconfig, tools/kernels/config/malta.config, and
malta.patch, which lets the malta select the APM emulation), under qemu's
malta on the 4Kc: a MIPS32 release 1 without an FPU, as the Alchemy
Au1x00 is.  Nothing qemu has answers the APM emulation on MIPS, so the
power_supply bridge, apm_power, does, from the kernel's own test battery,
as an Alchemy board's battery driver would: the scenarios are the
power-supply machine's, and the kernel writes the same lines.  What this
proves of MIPS is its own part: o32 system calls, the ELF loader, musl's
start (set_thread_area), and, in the last scenario, where /proc is hidden
and the open fails, the kernel's emulation of rdhwr, with which errno and
strerror read the thread pointer on a CPU without it.  No FPU instruction
runs: the kernel's FPU emulator is not reached.  No Loongson runs under
qemu (its fuloong2e aborts in its PCI scan): tools/checks/check-mips-isa
stands for it.

The mipsel binary is under test.  The MIPS32r2 control (one seb) must die
of SIGILL in every scenario, or the CPU model proves nothing.  qemu does
not end when the guest restarts the malta; the runner ends it after the
guest's last line."""
from pathlib import Path

from kernel_check import load_source
from kernel_check.record import Control, Machine, Scenario, SourceKernel, read_failure

POWER_SUPPLY = load_source('kernel_check.machines.power_supply',
                           Path(__file__).with_name('power-supply.py')).MACHINE

MACHINE = Machine(
    about="a MIPS32 malta kernel (4Kc, no FPU), apm_power bridging test_power",
    kernel=SourceKernel(fragment='malta.config', arch='mipsel', image='vmlinux', patches=('malta.patch',),
                        files={'test_power.ko': 'drivers/power/supply/test_power.ko'}),
    qemu='qemu-system-mipsel',
    options=('-M', 'malta', '-m', '64'),
    cpus=('4Kc',),
    console='ttyS0',
    guest_arch='mipsel',
    binaries=('mipsel', 'mips32r2'),
    controls=(Control('mips32r2'),),
    scenarios=POWER_SUPPLY.scenarios + (
        Scenario('read-fails', None, read_failure('No such file or directory'),
                 steps=('mount-tmpfs /proc',)),
    ),
)
