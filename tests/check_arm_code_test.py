# SPDX-License-Identifier: MIT
"""What tools/checks/check-arm-code takes for ARMv4 code, mnemonic by mnemonic."""
import importlib.machinery
import types
import unittest
from pathlib import Path

TOOL = Path(__file__).resolve().parents[1] / 'tools/checks/check-arm-code'


def load():
    loader = importlib.machinery.SourceFileLoader('check_arm_code', str(TOOL))
    module = types.ModuleType(loader.name)
    loader.exec_module(module)
    return module


CHECK = load()


def later(mnemonic: str, operands: str = '') -> bool:
    return CHECK.is_later(mnemonic, operands, armv4t=False)


class Mnemonics(unittest.TestCase):
    def test_armv4_code_passes(self):
        # The long multiplies are ARMv4's own; ldrh and strh too.
        for mnemonic in ('mov', 'ldr', 'ldrh', 'strh', 'ldrsb', 'umull', 'smull', 'smlal',
                         'umlal', 'mla', 'moveq', 'bl', 'bne', 'ldmib', 'push', 'pop', 'swp', 'nop'):
            with self.subTest(mnemonic):
                self.assertFalse(later(mnemonic, '; (mov r0, r0)'))

    def test_later_code_fails(self):
        for mnemonic in ('bx', 'bxeq', 'blx', 'clz', 'ldrd', 'strd', 'pld', 'smulbb', 'smlabt',
                         'qadd', 'ldrex', 'strexne', 'rev', 'uxtb', 'sxth', 'movw', 'movt', 'ubfx',
                         'dmb', 'vldr', 'vmov', 'fldd', 'fmsr', 'uadd8', 'ssat', 'mls'):
            with self.subTest(mnemonic):
                self.assertTrue(later(mnemonic))
        self.assertTrue(later('nop', '{0}'))

    def test_only_old_abi_calls_pass(self):
        self.assertTrue(CHECK.CALL.match('svc') and CHECK.CALL.match('swine'))
        self.assertFalse(CHECK.CALL.match('svcx'))


class ARMv4T(unittest.TestCase):
    def test_bx_is_all_the_armv4t_adds(self):
        for mnemonic in ('bx', 'bxeq'):
            self.assertFalse(CHECK.is_later(mnemonic, 'lr', armv4t=True), mnemonic)
        for mnemonic in ('blx', 'bxj', 'clz', 'ldrd', 'strd', 'pld', 'smulbb', 'ldrex', 'dmb'):
            self.assertTrue(CHECK.is_later(mnemonic, '', armv4t=True), mnemonic)

    def test_only_eabi_calls_pass(self):
        self.assertFalse(CHECK.wrong_call('0x00000000', armv4t=True))
        self.assertTrue(CHECK.wrong_call('0x00900004', armv4t=True))
        self.assertFalse(CHECK.wrong_call('0x00900004', armv4t=False))
        self.assertTrue(CHECK.wrong_call('0x00000000', armv4t=False))


if __name__ == '__main__':
    unittest.main()
