# SPDX-License-Identifier: MIT
"""Boots a machine's kernel under qemu for each of its CPU models and each
boot its scenarios need, and checks, byte for byte, the line the kernel
wrote and what every program under test printed for it."""
import os
import select
import shutil
import subprocess
import tempfile
import time
from itertools import groupby
from pathlib import Path

from . import bios, guest, kernels
from .kernels import Fail, needs, say
from .record import Machine, Scenario, Want

TIMEOUT = int(os.environ.get('CELLORA_KERNEL_TIMEOUT') or 180)
SIGILL = Want(132)


def shown(data: bytes) -> str:
    """Bytes on one line: \\n for a newline, \\xHH for the unprintable."""
    out = []
    for byte in data:
        char = chr(byte)
        if char == '\\':
            out.append('\\\\')
        elif char == '\n':
            out.append('\\n')
        elif 0x20 <= byte <= 0x7e:
            out.append(char)
        else:
            out.append(f'\\x{byte:02x}')
    return ''.join(out)


def wanted_lines(scenario: Scenario) -> tuple:
    """The bytes /proc/apm may hold; None for no /proc/apm."""
    if scenario.line is None:
        return (None,)
    lines = scenario.line if isinstance(scenario.line, tuple) else (scenario.line,)
    return tuple((line + '\n').encode() for line in lines)


def line_shown(line) -> str:
    return '(no /proc/apm)' if line is None else shown(line)


class Report:
    """What one boot's guest said, from its KC- lines."""

    def __init__(self, log: Path):
        self.lines, self.runs, self.broken = {}, {}, {}
        self.finished = False
        text = log.read_bytes().replace(b'\r', b'').decode('latin-1')
        self.tail = text.splitlines()[-20:]
        for line in text.splitlines():
            kind, _, rest = line.partition(':')
            if kind == 'KC-END':
                self.finished = True
            elif kind == 'KC-LINE':
                name, _, data = rest.partition(':')
                self.lines[name] = None if data == 'none' else bytes.fromhex(data)
            elif kind == 'KC-RUN':
                name, label, status, out, err = rest.split(':')
                self.runs[name, label] = Want(int(status), bytes.fromhex(out).decode('latin-1'),
                                              bytes.fromhex(err).decode('latin-1'))
            elif kind == 'KC-BROKEN':
                name, _, why = rest.partition(':')
                self.broken[name] = why


class Tally:
    def __init__(self):
        self.checked = self.failed = 0

    def verdict(self, scenario: Scenario, label: str, report: Report, want: Want,
                compare_err: bool, refused: str = '') -> None:
        """With refused, the program must not have printed it; otherwise it
        must have done what want says."""
        self.checked += 1
        line = report.lines.get(scenario.name, b'missing')
        got = report.runs.get((scenario.name, label))
        ok = got is not None and line in wanted_lines(scenario)
        if ok and refused:
            ok = refused not in got.out
        elif ok:
            ok = (got.status, got.out) == (want.status, want.out) and \
                (not compare_err or got.err == want.err)
        if got is None:
            got = Want('?')
        print(f'{scenario.name:<17} {label:<15} {"ok" if ok else "FAIL":<4}  '
              f'kernel: "{line_shown(line)}"  cellora: status={got.status} '
              f'stdout="{shown(got.out.encode("latin-1"))}" '
              f'stderr="{shown(got.err.encode("latin-1"))}"')
        if ok:
            return
        self.failed += 1
        lines = ' | '.join(line_shown(line) for line in wanted_lines(scenario))
        if refused:
            print(f'{"":<33} wanted: kernel: "{lines}"  the program: anything but '
                  f'stdout holding "{shown(refused.encode())}"')
        else:
            print(f'{"":<33} wanted: kernel: "{lines}"  cellora: status={want.status} '
                  f'stdout="{shown(want.out.encode())}" '
                  f'stderr="{shown(want.err.encode()) if compare_err else "(any)"}"')
        if scenario.name in report.broken:
            print(f'{"":<33} the guest: {report.broken[scenario.name]}')


def boots(machine: Machine) -> list:
    """Consecutive scenarios that need the same boot share one."""
    return [(boot, list(group)) for boot, group in groupby(machine.scenarios, lambda s: s.boot)]


def boot_once(name: str, machine: Machine, kernel: kernels.Kernel, init: Path, binaries: dict,
              cpu, boot, scenarios: list, work: Path) -> Report:
    plan = list(machine.setup)
    for scenario in scenarios:
        plan += list(scenario.steps) + [f'report {scenario.name}']
    tag = f'{name}-{cpu or "cpu"}-{scenarios[0].name}'
    initrd = work / f'{tag}.cpio.gz'
    guest.initramfs(work / 'root', initrd, init, plan, kernel.files, binaries)
    command = [machine.qemu, *machine.options, *(['-cpu', cpu] if cpu else []),
               '-nographic', '-no-reboot', '-nic', 'none']
    if boot.bios is not None:
        command += ['-bios', str(bios.patched(boot.bios, work / f'bios-{scenarios[0].name}.bin'))]
    command += ['-kernel', str(kernel.image), '-initrd', str(initrd),
                '-append', f'console={machine.console} quiet panic=-1 {boot.append}'.strip()]
    log = work / f'{tag}.log'
    run_until_end(command, log)
    return Report(log)


def run_until_end(command: list, log: Path) -> None:
    """Runs qemu with its console into log until the guest has said KC-END
    (some machines, such as the collie, halt rather than end qemu when the
    guest restarts them), it ends by itself, or TIMEOUT."""
    deadline = time.monotonic() + TIMEOUT
    with open(log, 'wb') as out, subprocess.Popen(command, stdin=subprocess.DEVNULL,
                                                   stdout=subprocess.PIPE,
                                                   stderr=subprocess.STDOUT) as qemu:
        seen = b''
        while b'KC-END' not in seen:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([qemu.stdout], [], [], left)[0]:
                break
            data = os.read(qemu.stdout.fileno(), 65536)
            if not data:
                break
            out.write(data)
            seen = seen[-16:] + data
        qemu.kill()


def check(name: str, machine: Machine, given: dict, work: Path, tally: Tally) -> None:
    """Every binary given, or the record's own, in every scenario of the
    machine on every CPU model."""
    needs(machine.qemu)
    kernel = kernels.get(name, machine.kernel, work)
    init = guest.release_program('kernels/guest-init', machine.guest_arch, 'init', work)
    binaries = given or {label: guest.binary(label, work) for label in machine.binaries}
    controls = {control.label: control for control in machine.controls if control.label in binaries}
    for cpu in machine.cpus or (None,):
        say(f'{name} under {machine.qemu} {" ".join(machine.options)}' +
            (f' -cpu {cpu}' if cpu else ''))
        for boot, scenarios in boots(machine):
            report = boot_once(name, machine, kernel, init, binaries, cpu, boot, scenarios, work)
            if not report.finished:
                print(f'kernel-check: FAIL: the guest did not finish within {TIMEOUT}s')
                print(''.join(f'    {line}\n' for line in report.tail), end='')
            for scenario in scenarios:
                for label in binaries:
                    want, compare_err = scenario.want, True
                    control = controls.get(label)
                    if control is not None and not control.refused:
                        # What a dying program says of its signal is not its own.
                        dies = not control.dies_on or cpu in control.dies_on
                        want, compare_err = (SIGILL, False) if dies else (control.otherwise, True)
                    tally.verdict(scenario, label, report, want, compare_err,
                                  control.refused if control is not None else '')


def run(machines: dict, given: dict, prepare: bool = False) -> int:
    """Checks the machines; with prepare, only gets their kernels into the
    cache, booting nothing."""
    tally = Tally()
    work = Path(tempfile.mkdtemp(prefix='kernel-check-'))
    try:
        for name, machine in machines.items():
            if prepare:
                kernels.get(name, machine.kernel, work)
            else:
                check(name, machine, given, work, tally)
    except (Fail, subprocess.CalledProcessError) as failure:
        print(f'kernel-check: {failure}', flush=True)
        return 2
    finally:
        shutil.rmtree(work)
    if prepare:
        say(f'the kernels of {" ".join(machines)} are in {kernels.CACHE}')
        return 0
    if tally.failed:
        print(f'kernel-check: {tally.failed} of {tally.checked} checks failed')
        return 1
    print(f'kernel-check: all {tally.checked} checks passed')
    return 0
