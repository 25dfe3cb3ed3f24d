# SPDX-License-Identifier: MIT
"""Scenario sets that several machines share."""
from .record import NO_LEVEL, Boot, Scenario, Want, read_failure, report

# x86: the APM BIOS's answers (AC line status, battery status, battery
# flag, percent, time) and what apm_32.c makes of them.  None is SeaBIOS's
# own answer.
_BIOS = (
    ('stock', None, '0x01 0xff 0x80 -1% -1 ?', NO_LEVEL),
    ('on-battery', (0x00, 0x00, 0x01, 42, 0x805f), '0x00 0x00 0x01 42% 95 min', report(42, 'off')),
    ('charging', (0x01, 0x03, 0x08, 100, 0xffff), '0x01 0x03 0x08 100% -1 ?', report(100, 'on')),
    ('critical', (0x00, 0x02, 0x04, 0, 0x8003), '0x00 0x02 0x04 0% 3 min', report(0, 'off')),
    ('backup-power', (0x02, 0x01, 0x02, 20, 600), '0x02 0x01 0x02 20% 600 sec', report(20, 'off')),
    ('over-100', (0x01, 0x00, 0x01, 150, 0x8078), '0x01 0x00 0x01 150% 120 min', report(100, 'on')),
    ('all-unknown', (0xff, 0xff, 0xff, 0xff, 0xffff), '0xff 0xff 0xff -1% -1 ?', NO_LEVEL),
)


def bios_scenarios(acpi: bool) -> tuple:
    """A boot per BIOS answer, and where the kernel has ACPI one with it on,
    where the driver stands down."""
    sets = tuple(Scenario(name, '1.16ac 1.2 0x03 ' + fields, want,
                          boot=Boot(bios=answer, append='acpi=off'))
                 for name, answer, fields, want in _BIOS)
    if acpi:
        sets += (Scenario('acpi-on', None, read_failure('No such file or directory'),
                          boot=Boot(append='acpi=on')),)
    return sets


# The APM emulation answered by tools/kernels/apm-test-power: its parameters
# (ac_line_status, battery_status, battery_flag, battery_life, time,
# units) and what the emulation writes for them.
_MODULE = (
    ('all-unknown', '0xff 0xff 0xff -1 -1 -1', '0xff 0xff 0xff -1% -1 ?', NO_LEVEL),
    ('on-battery', '0x00 0x00 0x01 42 95 0', '0x00 0x00 0x01 42% 95 min', report(42, 'off')),
    ('charging', '0x01 0x03 0x08 100 -1 -1', '0x01 0x03 0x08 100% -1 ?', report(100, 'on')),
    ('critical', '0x00 0x02 0x04 0 3 0', '0x00 0x02 0x04 0% 3 min', report(0, 'off')),
    ('backup-power', '0x02 0x01 0x02 20 600 1', '0x02 0x01 0x02 20% 600 sec', report(20, 'off')),
    ('over-100', '0x01 0x00 0x01 150 120 0', '0x01 0x00 0x01 150% 120 min', report(100, 'on')),
    ('ac-unknown', '0xff 0x00 0x01 7 30 0', '0xff 0x00 0x01 7% 30 min', report(7, 'off')),
)
_PARAMETERS = ('ac_line_status', 'battery_status', 'battery_flag', 'battery_life', 'time', 'units')


def module_scenarios(stock: str, stock_want: Want = NO_LEVEL) -> tuple:
    """In one boot: the machine's own line, then the module loaded with its
    defaults (everything unknown) and set to each value set in turn, then
    unloaded, which must bring the machine's own line back."""
    where = '/sys/module/apm_test_power/parameters/'
    sets = [Scenario('stock', stock, stock_want)]
    for i, (name, values, fields, want) in enumerate(_MODULE):
        steps = ('insmod /apm_test_power.ko',) if i == 0 else ()
        steps += tuple(f'write {where}{p} {v}' for p, v in zip(_PARAMETERS, values.split()))
        sets.append(Scenario(name, '1.13 1.2 0x02 ' + fields, want, steps=steps))
    sets.append(Scenario('module-removed', stock, stock_want, steps=('rmmod apm_test_power',)))
    return tuple(sets)
