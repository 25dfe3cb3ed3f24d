# SPDX-License-Identifier: MIT
"""What tools/checks/check-mips-isa takes for MIPS II code, and where it
lets FPU code be."""
import sys
import unittest
from pathlib import Path

TOOLS = Path(__file__).resolve().parents[1] / 'tools'
sys.path.insert(0, str(TOOLS / 'kernels'))

from kernel_check import load_source  # noqa: E402

CHECK = load_source('check_mips_isa', TOOLS / 'checks/check-mips-isa')


def verdict(mnemonic: str, operands: str = '', function: str = 'main', word: int = 0) -> tuple:
    """How many findings one instruction in one function gives: (not
    MIPS II, FPU outside float formatting)."""
    later, fpu, _ = CHECK.findings({function: [(0x400000, word, mnemonic, operands)]})
    return len(later), len(fpu)


class Mnemonics(unittest.TestCase):
    def test_mips_i_and_ii_pass(self):
        for mnemonic in ('addiu', 'lwl', 'swr', 'mult', 'divu', 'mflo', 'bal', 'jalr', 'move',
                         'li', 'negu', 'll', 'sc', 'sync', 'beql', 'bnezl', 'teq', 'tgeiu'):
            with self.subTest(mnemonic):
                self.assertEqual(verdict(mnemonic), (0, 0))

    def test_later_code_fails(self):
        # MIPS III (64-bit), MIPS IV, MIPS32 and MIPS32r2.
        for mnemonic in ('daddu', 'ld', 'sd', 'dsll', 'movn', 'movz', 'pref', 'mul', 'clz', 'madd',
                         'ext', 'ins', 'seb', 'seh', 'wsbh', 'rotr', 'ehb', 'jr.hb', 'mfhc1',
                         'rdhwr', '.word'):
            with self.subTest(mnemonic):
                self.assertEqual(verdict(mnemonic), (1, 0))

    def test_only_the_thread_pointer_read_passes_of_rdhwr(self):
        self.assertEqual(verdict('.word', '0x7c03e83b', word=0x7c03e83b), (0, 0))
        self.assertEqual(verdict('.word', '0x7c02e83b', word=0x7c02e83b), (1, 0))


class Fpu(unittest.TestCase):
    def test_fpu_code_only_in_float_formatting(self):
        for mnemonic in ('sdc1', 'ldc1', 'mtc1', 'add.d', 'c.eq.d', 'trunc.w.d', 'bc1f'):
            with self.subTest(mnemonic):
                self.assertEqual(verdict(mnemonic, '$f20,0(sp)', 'printf_core'), (0, 1))
                self.assertEqual(verdict(mnemonic, '$f20,0(sp)', 'fmt_fp'), (0, 0))

    def test_condition_codes_past_0_are_mips_iv(self):
        self.assertEqual(verdict('c.eq.d', '$fcc1,$f0,$f2', 'fmt_fp'), (1, 0))
        self.assertEqual(verdict('bc1t', '$fcc2,400100', 'fmt_fp'), (1, 0))

    def test_later_fpu_code_fails_anywhere(self):
        for mnemonic in ('madd.d', 'cvt.l.d', 'ldxc1', 'movn.d'):
            with self.subTest(mnemonic):
                self.assertEqual(verdict(mnemonic, '', 'fmt_fp'), (1, 0))


class Start(unittest.TestCase):
    def test_the_words_behind_starts_bal_are_data(self):
        start = [(0x400360, 0, 'bal', '400374 <__start+0x14>'), (0x400364, 0, 'move', 's8,zero'),
                 (0x400368, 0, 'sdc3', '$31,6392(ra)'), (0x400370, 0, 'sdc3', '$31,5520(sp)'),
                 (0x400374, 0, 'lw', 'gp,0(ra)')]
        self.assertEqual(CHECK.findings({'__start': start}), ([], [], 3))
        later, _, _ = CHECK.findings({'main': start})
        self.assertEqual(len(later), 2)


if __name__ == '__main__':
    unittest.main()
