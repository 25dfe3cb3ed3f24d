# SPDX-License-Identifier: MIT
"""An ARM handheld of the 2.6 era whose battery is a power_supply, built
here from linux-source (tinyconfig and
tools/kernels/config/power-supply.config), under qemu's virt: the APM
emulation is answered by drivers/power/supply/apm_power.c, the bridge
from the main power_supply battery, and that battery is the kernel's own
drivers/power/supply/test_power.c, a module whose parameters the guest
sets for each scenario in one boot.

The bridge has rules of its own: the AC line follows the battery's status
(charging, not-charging and full mean on line), not the AC supply; the
capacity goes through as it stands, 150% and below 0 included, and 255%,
which the old ARM kernels' own APM code wrote for no level; the
battery flag is a copy of the battery status (high above 50%, low above
5%, critical at or below, or charging); the time is test_power's 3600 s.
Before the module is loaded and after it is removed the bridge has no
battery and the emulation writes what it writes with no power code at
all: those two scenarios show that every other line is the bridge's.
test_power accepts no "unknown" status, and reads its parameters back in
the wrong words: the guest only ever writes them."""
from kernel_check.record import NO_LEVEL, Machine, Scenario, SourceKernel, report

NO_BATTERY = '1.13 1.2 0x02 0xff 0xff 0xff -1% -1 ?'
PARAMETERS = '/sys/module/test_power/parameters/'


def battery(name: str, status: str, capacity: int, ac: str, fields: str, want, steps=()):
    """test_power set to a status, a capacity and an AC supply state, and
    the line the bridge makes of them (after 0x02, before " 60 min")."""
    steps += tuple(f'write {PARAMETERS}{parameter} {value}' for parameter, value in
                   (('ac_online', ac), ('battery_status', status), ('battery_capacity', capacity)))
    return Scenario(name, f'1.13 1.2 0x02 {fields} 60 min', want, steps=steps)


MACHINE = Machine(
    about="an ARM kernel from linux-source, apm_power bridging test_power's battery",
    kernel=SourceKernel(fragment='power-supply.config', arch='armhf', image='arch/arm/boot/zImage',
                        files={'test_power.ko': 'drivers/power/supply/test_power.ko'}),
    qemu='qemu-system-arm',
    options=('-M', 'virt', '-m', '256'),
    cpus=('cortex-a15',),
    console='ttyAMA0',
    guest_arch='armhf',
    binaries=('armel', 'armhf'),
    scenarios=(
        Scenario('no-battery', NO_BATTERY, NO_LEVEL),
        battery('on-battery', 'discharging', 42, 'off', '0x00 0x01 0x01 42%', report(42, 'off'),
                steps=('insmod /test_power.ko',)),
        battery('critical', 'discharging', 3, 'off', '0x00 0x02 0x02 3%', report(3, 'off')),
        battery('over-100', 'discharging', 150, 'off', '0x00 0x00 0x00 150%', report(100, 'off')),
        battery('old-arm-255', 'discharging', 255, 'off', '0x00 0x00 0x00 255%', NO_LEVEL),
        battery('unknown-level', 'discharging', -1, 'off', '0x00 0x02 0x02 -1%', NO_LEVEL),
        battery('below-0', 'discharging', -3, 'off', '0x00 0x02 0x02 -3%', report(-3, 'off')),
        battery('charging', 'charging', 100, 'on', '0x01 0x03 0x03 100%', report(100, 'on')),
        battery('charging-ac-off', 'charging', 42, 'off', '0x01 0x03 0x03 42%', report(42, 'on')),
        battery('full', 'full', 100, 'on', '0x01 0x00 0x00 100%', report(100, 'on')),
        battery('not-charging', 'not-charging', 80, 'on', '0x01 0x00 0x00 80%', report(80, 'on')),
        battery('ac-on-discharging', 'discharging', 42, 'on', '0x00 0x01 0x01 42%',
                report(42, 'off')),
        Scenario('battery-removed', NO_BATTERY, NO_LEVEL, steps=('rmmod test_power',)),
    ),
)
