# SPDX-License-Identifier: MIT
"""The guests: tools/kernels/guest-init as /init, built like the release for the
machine's oldest CPU, the plan it follows, the kernel's files and the
programs under test, packed into an initramfs."""
import gzip
import os
import shutil
import subprocess
from pathlib import Path

from .kernels import HERE, Fail, run


def release_program(source: str, arch: str, name: str, work: Path) -> Path:
    """A CMake project of tools/ (SOURCE is its folder there) built with
    the release's toolchain for arch (musl, or klibc for arm), once a run."""
    build = work / f'{Path(source).name}-{arch}'
    program = build / name
    if not program.exists():
        libc, tool = ('KLIBC', 'klibc') if arch == 'arm' else ('MUSL', 'musl')
        root = subprocess.run([str(HERE / f'tools/make-release/{tool}-dev'), arch], stdout=subprocess.PIPE,
                              text=True, check=True).stdout.strip()
        log = work / f'{Path(source).name}-{arch}.log'
        run(['cmake', '-S', str(HERE / 'tools' / source), '-B', str(build),
             f'-DCMAKE_TOOLCHAIN_FILE={HERE}/cmake/{tool}.cmake', f'-DCELLORA_ARCH={arch}',
             f'-DCELLORA_{libc}_ROOT={root}'], log, f'{source} could not be configured for {arch}')
        run(['cmake', '--build', str(build)], log, f'{source} did not build for {arch}')
    return program


def release_binary(arch: str, work: Path) -> Path:
    """The binary in the release's tarball for arch (in $CELLORA_DIST, or
    dist/), unpacked; tools/release makes the release when it is missing."""
    dist = Path(os.environ.get('CELLORA_DIST') or HERE / 'dist')

    def tarballs():
        return sorted(dist.glob(f'cellora-*-{arch}.tar.gz'))
    if not tarballs():
        subprocess.run([str(HERE / 'tools/release')], stdout=2, check=True)
    into = work / f'dist-{arch}'
    into.mkdir(exist_ok=True)
    subprocess.run(['tar', '-xzf', str(tarballs()[-1]), '-C', str(into), '--strip-components=1'],
                   check=True)
    return into / 'cellora'


def glibc_i686(work: Path) -> Path:
    """The glibc build of the i386 preset: an i686 binary."""
    log = work / 'glibc-i686.log'
    run(['cmake', '--preset', 'i386'], log, 'the i386 preset could not be configured', cwd=HERE)
    run(['cmake', '--build', '--preset', 'i386'], log, 'the i386 preset did not build', cwd=HERE)
    return HERE / 'build-i386/cellora'


def eabi_armv4(work: Path) -> Path:
    """tools/kernels/eabi-armv4: a program that makes its system calls as EABI
    does, in ARMv4 code, and would print a report of its own."""
    program = work / 'eabi-armv4'
    if not program.exists():
        run(['arm-linux-gnueabi-gcc', '-marm', '-march=armv4', '-Os', '-static', '-nostdlib',
             '-Wl,--build-id=none', str(HERE / 'tools/kernels/eabi-armv4/eabi_armv4.c'), '-o', str(program)],
            work / 'eabi-armv4.log', 'tools/kernels/eabi-armv4 did not build')
    return program


def glibc_powerpc(work: Path) -> Path:
    """cellora against Debian's glibc for powerpc, static, as the cross
    compiler builds it: its open() is the openat call (286 on PowerPC),
    which no 2.4 kernel has."""
    program = work / 'glibc-powerpc'
    if not program.exists():
        run(['powerpc-linux-gnu-g++', '-std=c++17', '-Os', '-static', '-fno-exceptions', '-fno-rtti',
             '-DCELLORA_VERSION="glibc"', str(HERE / 'src/cellora.cc'), str(HERE / 'src/apm_status.cc'),
             '-o', str(program)], work / 'glibc-powerpc.log', 'the glibc powerpc build failed')
    return program


# The runs of tests/old_kernel.cc that the guests make, each a program
# under test with the calls past an old table refused, and the release
# target they are built like: on i386 past Linux 2.0's table (163) or
# late 2.4's (252), on PowerPC past 2.4's (207); see
# tools/kernels/old-kernel/CMakeLists.txt.
OLD_KERNEL = {'i386-calls-163': 'i386', 'i386-calls-252': 'i386', 'glibc-calls-163': 'i386',
              'powerpc-calls-207': 'powerpc', 'glibc-ppc-calls-207': 'powerpc'}
# The glibc builds: their release target, and what builds them.
GLIBC = {'glibc-i686': ('i386', glibc_i686), 'glibc-powerpc': ('powerpc', glibc_powerpc)}
# The CPU controls of tools/checks/, each a program of one instruction that
# a later CPU brought, and the release target they are built like.
CPU_CONTROLS = {'altivec': 'powerpc', 'armv5te': 'armel', 'mips32r2': 'mipsel'}


def target(label: str) -> str:
    """The release target whose toolchain builds a program for a label."""
    return OLD_KERNEL.get(label) or GLIBC.get(label, (label,))[0]


def binary(label: str, work: Path) -> Path:
    """What a record's label stands for when no binary is given."""
    if label in GLIBC:
        return GLIBC[label][1](work)
    if label in OLD_KERNEL:
        return release_program('kernels/old-kernel', OLD_KERNEL[label], label, work)
    if label in CPU_CONTROLS:
        return release_program(f'checks/{label}', CPU_CONTROLS[label], label, work)
    if label == 'eabi-armv4':
        return eabi_armv4(work)
    return release_binary(label, work)


def initramfs(root: Path, out: Path, init: Path, plan: list, files: dict, binaries: dict) -> None:
    """A gzip'd newc cpio of root with /init, /plan, the kernel's files and
    the programs under test in /under-test."""
    shutil.rmtree(root, ignore_errors=True)
    for folder in ('dev', 'proc', 'sys', 'under-test'):
        (root / folder).mkdir(parents=True)
    shutil.copy(init, root / 'init')
    (root / 'plan').write_text(''.join(step + '\n' for step in plan))
    for name, path in files.items():
        shutil.copy(path, root / name)
    for label, path in binaries.items():
        shutil.copy(path, root / 'under-test' / label)
        os.chmod(root / 'under-test' / label, 0o755)
    names = ''.join(f'./{path.relative_to(root)}\n' for path in sorted(root.rglob('*')))
    names = ('.\n' + names).encode()
    archive = subprocess.run(['cpio', '-o', '-H', 'newc', '--quiet'], cwd=root, input=names,
                             stdout=subprocess.PIPE, check=True).stdout
    if not archive:
        raise Fail('cpio wrote nothing')
    out.write_bytes(gzip.compress(archive, 9))
