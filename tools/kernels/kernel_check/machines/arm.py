# SPDX-License-Identifier: MIT
"""drivers/char/apm-emulation.c, built into Debian's armhf armmp kernel,
which asks the machine's power code: tools/kernels/apm-test-power plays that part
from module parameters, which the guest sets for each scenario in one
boot."""
from kernel_check.record import DebianKernel, Machine
from kernel_check.scenarios import module_scenarios

MACHINE = Machine(
    about="Debian's armhf kernel, the APM emulation answered by tools/kernels/apm-test-power",
    kernel=DebianKernel(arch='armhf', metapackage='linux-image-armmp', modules=('apm-test-power',)),
    qemu='qemu-system-arm',
    options=('-M', 'virt', '-m', '256'),
    cpus=('cortex-a15',),
    console='ttyAMA0',
    guest_arch='armhf',
    binaries=('armel', 'armhf'),
    # With no power code to ask, the emulation knows nothing.
    scenarios=module_scenarios(stock='1.13 1.2 0x02 0xff 0xff 0xff -1% -1 ?'),
)
