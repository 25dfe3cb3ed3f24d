# SPDX-License-Identifier: MIT
"""What tools/kernel-check decides from a guest's report, without a kernel."""
import contextlib
import io
import re
import sys
import tempfile
import unittest
from pathlib import Path

TOOLS = Path(__file__).resolve().parents[1] / 'tools'
sys.path.insert(0, str(TOOLS / 'kernels'))

from kernel_check import bios, check, kernels, load_source  # noqa: E402
from kernel_check.record import (NO_LEVEL, Machine, Scenario, SourceKernel, Want,  # noqa: E402
                                 report)
from kernel_check.scenarios import bios_scenarios, module_scenarios  # noqa: E402

LINE = '1.13 1.2 0x02 0x00 0x00 0x01 42% 95 min'
ON_BATTERY = Scenario('on-battery', LINE, report(42, 'off'))


def hexed(text: str) -> str:
    return text.encode().hex()


KERNEL = 'KC-LINE:on-battery:' + hexed(LINE + '\n')
REPORT = hexed('battery=42\nac_line=off\n')


def guest_log(*lines: str) -> Path:
    log = Path(tempfile.mkdtemp()) / 'boot.log'
    log.write_bytes(''.join(line + '\r\n' for line in lines).encode())
    return log


def verdict(log: Path, scenario: Scenario, want: Want, compare_err: bool = True) -> bool:
    tally = check.Tally()
    with contextlib.redirect_stdout(io.StringIO()):
        tally.verdict(scenario, 'armel', check.Report(log), want, compare_err)
    return tally.failed == 0


class Verdicts(unittest.TestCase):
    def test_table(self):
        good = f'KC-RUN:on-battery:armel:0:{REPORT}:'
        other_line = hexed(LINE.replace('42%', '43%') + '\n')
        wrong = hexed('battery=50\nac_line=on\n')
        cases = [
            ('what cellora must print', [KERNEL, good], True),
            ('another line from the kernel', [f'KC-LINE:on-battery:{other_line}', good], False),
            ('no /proc/apm where there must be one', ['KC-LINE:on-battery:none', good], False),
            ('a wrong report', [KERNEL, f'KC-RUN:on-battery:armel:0:{wrong}:'], False),
            ('a message besides the report', [KERNEL, good + hexed('warning\n')], False),
            ('nothing ran', [KERNEL], False),
            ('another scenario ran', [KERNEL, good.replace('on-battery', 'charging')], False),
        ]
        for name, lines, ok in cases:
            with self.subTest(name):
                self.assertEqual(verdict(guest_log(*lines, 'KC-END'), ON_BATTERY,
                                         ON_BATTERY.want), ok)

    def test_alternative_lines_and_no_file(self):
        either = Scenario('before', (LINE, LINE.replace('42%', '0%')), report(42, 'off'))
        run = f'KC-RUN:before:armel:0:{REPORT}:'
        line = hexed(LINE.replace('42%', '0%') + '\n')
        self.assertTrue(verdict(guest_log(f'KC-LINE:before:{line}', run), either, either.want))
        gone = Scenario('acpi-on', None, NO_LEVEL)
        none = 'KC-RUN:acpi-on:armel:1::' + hexed('Can not get battery level\n')
        self.assertTrue(verdict(guest_log('KC-LINE:acpi-on:none', none), gone, gone.want))

    def test_a_refused_program_must_not_print_its_report(self):
        tally = check.Tally()
        refused = 'battery=50\nac_line=on\n'
        for status, out, ok in ((132, '', True), (139, 'garbage', True), (0, refused, False),
                                (0, 'x' + refused, False)):
            with self.subTest(status=status, out=out):
                run = f'KC-RUN:on-battery:armel:{status}:{hexed(out)}:'
                failed = tally.failed
                with contextlib.redirect_stdout(io.StringIO()):
                    tally.verdict(ON_BATTERY, 'armel', check.Report(guest_log(KERNEL, run)),
                                  ON_BATTERY.want, True, refused)
                self.assertEqual(tally.failed == failed, ok)

    def test_a_control_must_die_of_sigill_and_print_nothing(self):
        for status, out, ok in ((132, '', True), (0, 'battery=42\nac_line=off\n', False),
                                (132, 'x', False), (139, '', False)):
            with self.subTest(status=status, out=out):
                run = f'KC-RUN:on-battery:armel:{status}:{hexed(out)}:{hexed("Illegal")}'
                self.assertEqual(verdict(guest_log(KERNEL, run), ON_BATTERY, check.SIGILL,
                                         compare_err=False), ok)


class Boots(unittest.TestCase):
    def test_bios_scenarios_boot_apart_and_module_ones_together(self):
        x86 = Machine('', None, '', (), (), '', '', (), bios_scenarios(acpi=True))
        self.assertEqual([len(group) for _, group in check.boots(x86)], [1] * 8)
        arm = Machine('', None, '', (), (), '', '', (), module_scenarios('stock line'))
        self.assertEqual([len(group) for _, group in check.boots(arm)], [9])

    def test_module_scenarios_load_once_and_unload_last(self):
        steps = [s.steps for s in module_scenarios('stock line')]
        self.assertEqual(sum(step[0].startswith('insmod') for step in steps if step), 1)
        self.assertEqual(steps[-1], ('rmmod apm_test_power',))


def records() -> dict:
    """The machines tools/kernel-check knows, loaded as it loads them."""
    return load_source('kernel_check_tool', TOOLS / 'kernel-check').machines()


class Records(unittest.TestCase):
    """A record that the runner would misread fails here, not at a boot."""

    def test_every_record_holds_together(self):
        machines = records()
        self.assertIn('pmac', machines)
        for name, machine in machines.items():
            with self.subTest(name):
                names = [s.name for s in machine.scenarios]
                self.assertEqual(len(names), len(set(names)), 'scenario names are unique')
                self.assertTrue(all(re.fullmatch(r'[a-z0-9-]+', n) for n in names))
                self.assertIn(machine.guest_arch, kernels.TOOLCHAINS)
                self.assertIn(machine.kernel.arch, kernels.TOOLCHAINS)
                if isinstance(machine.kernel, SourceKernel):
                    for part in (machine.kernel.fragment, *machine.kernel.patches):
                        self.assertTrue((TOOLS / 'kernels/config' / part).is_file())
                for module in machine.kernel.modules:
                    self.assertTrue((TOOLS / 'kernels' / module / 'Kbuild').is_file())
                for control in machine.controls:
                    self.assertIn(control.label, machine.binaries)
                    # None named: it dies on every CPU.
                    dies_on = set(control.dies_on or machine.cpus)
                    self.assertLessEqual(dies_on, set(machine.cpus))
                    if dies_on != set(machine.cpus):
                        self.assertIsNotNone(control.otherwise)


    def test_the_machines_page_lists_every_machine(self):
        readme = (TOOLS.parent / 'docs' / 'machines.md').read_text()
        listed = re.findall(r'^\| `([a-z0-9-]+)` \|', readme, re.MULTILINE)
        self.assertEqual(sorted(listed), sorted(records()))

    def test_what_is_under_test_has_a_release_target(self):
        tool = load_source('kernel_check_tool', TOOLS / 'kernel-check')
        for name in records():
            out = io.StringIO()
            with contextlib.redirect_stdout(out):
                self.assertEqual(tool.main(['--under-test', name]), 0)
            pairs = [line.split() for line in out.getvalue().splitlines()]
            with self.subTest(name):
                self.assertTrue(pairs)
                for _, target in pairs:
                    self.assertIn(target, ('i386', 'armel', 'armhf', 'powerpc', 'mipsel', 'arm'))


class Bios(unittest.TestCase):
    HANDLER = b'\x66\xc7\x43\x10\xff\x01\x66\xc7\x43\x18\xff\x80\x67\xc7\x43\x14\xff\xff'

    def patch(self, image: bytes) -> bytes:
        folder = Path(tempfile.mkdtemp())
        bios.STOCK = folder / 'stock.bin'
        bios.STOCK.write_bytes(image)
        return bios.patched((0x01, 0x03, 0x08, 100, 0x805f), folder / 'patched.bin').read_bytes()

    def test_both_handlers_answer_the_scenario(self):
        got = self.patch(b'a' + self.HANDLER + b'b' + self.HANDLER + b'c')
        want = b'\x66\xc7\x43\x10\x03\x01\x66\xc7\x43\x18\x64\x08\x67\xc7\x43\x14\x5f\x80'
        self.assertEqual(got, b'a' + want + b'b' + want + b'c')

    def test_a_bios_without_both_handlers_is_refused(self):
        with self.assertRaises(kernels.Fail):
            self.patch(b'a' + self.HANDLER + b'b')


class Fragment(unittest.TestCase):
    def test_a_lost_setting_is_refused(self):
        folder = Path(tempfile.mkdtemp())
        (folder / 'f').write_text('# comment\nCONFIG_APM=y\n# CONFIG_ACPI is not set\n')
        for config, ok in (('CONFIG_APM=y\n', True), ('CONFIG_APM=m\n', False),
                           ('CONFIG_APM=y\nCONFIG_ACPI=y\n', False)):
            with self.subTest(config=config):
                (folder / '.config').write_text(config)
                if ok:
                    kernels.check_fragment(folder / 'f', folder / '.config')
                else:
                    with self.assertRaises(kernels.Fail):
                        kernels.check_fragment(folder / 'f', folder / '.config')



class CacheKey(unittest.TestCase):
    """A kernel built from a fragment, patches and modules is reused only
    while none has changed."""

    def test_any_input_changes_the_key(self):
        here = Path(tempfile.mkdtemp())
        (here / 'config').mkdir(parents=True)
        (here / 'mod').mkdir()
        old, kernels.KERNELS = kernels.KERNELS, here
        self.addCleanup(setattr, kernels, 'KERNELS', old)

        def key(fragment='CONFIG_APM=y\n', module='int x;\n', files=None, version='6.1',
                patch='+select X\n'):
            (here / 'config/f.config').write_text(fragment)
            (here / 'config/f.patch').write_text(patch)
            (here / 'mod/mod.c').write_text(module)
            kernel = SourceKernel('f.config', 'armhf', 'zImage', modules=('mod',),
                                  files=files or {}, patches=('f.patch',))
            return kernels.source_key(version, kernel)

        base = key()
        self.assertEqual(key(), base)
        for change in ({'fragment': 'CONFIG_APM=m\n'}, {'module': 'int y;\n'},
                       {'files': {'a.ko': 'drivers/a.ko'}}, {'version': '6.2'},
                       {'patch': '+select Y\n'}):
            with self.subTest(change):
                self.assertNotEqual(key(**change), base)

if __name__ == '__main__':
    unittest.main()
