# SPDX-License-Identifier: MIT
"""The kernels: Debian's, downloaded once, or built here once from Debian's
linux-source, each with the files and modules its guest needs.  Everything
goes to the cache ($CELLORA_KERNEL_CACHE, default
~/.cache/cellora/kernel-check) and is reused by later runs."""
import contextlib
import fcntl
import hashlib
import os
import shutil
import subprocess
from dataclasses import dataclass
from pathlib import Path

from .record import DebianKernel, SourceKernel

HERE = Path(__file__).resolve().parents[3]
# The kernel proofs' own sources: the fragments and the modules.
KERNELS = HERE / 'tools/kernels'
CACHE = Path(os.environ.get('CELLORA_KERNEL_CACHE') or
             Path(os.environ.get('XDG_CACHE_HOME') or Path.home() / '.cache') / 'cellora/kernel-check')

# A Debian architecture's kernel ARCH and cross compiler.  The x86
# kernels build with this machine's own gcc.
TOOLCHAINS = {
    'i386': ('i386', ''),
    'armel': ('arm', 'arm-linux-gnueabi-'),
    'arm': ('arm', 'arm-linux-gnueabi-'),
    'armhf': ('arm', 'arm-linux-gnueabihf-'),
    'powerpc': ('powerpc', 'powerpc-linux-gnu-'),
    'mipsel': ('mips', 'mipsel-linux-gnu-'),
}


class Fail(Exception):
    """Something the check needs could not be had: no verdict."""


def say(text: str) -> None:
    print(f'kernel-check: {text}', flush=True)


def run(command: list, log: Path, what: str, **options) -> None:
    """Runs a command with its output appended to log; on failure shows
    the log's end and fails with what."""
    with open(log, 'ab') as out:
        done = subprocess.run(command, stdout=out, stderr=subprocess.STDOUT, **options)
    if done.returncode != 0:
        print(''.join(log.read_text(errors='replace').splitlines(True)[-30:]), end='')
        raise Fail(what)


def needs(*tools: str) -> None:
    for tool in tools:
        if shutil.which(tool) is None:
            raise Fail(f'needs {tool}')


@dataclass
class Kernel:
    image: Path
    files: dict     # name in the guest's / to the file here


@contextlib.contextmanager
def locked(entry: Path):
    """Holds the lock of a cache entry: a second run that wants it waits
    for the first, then finds it made, where both would build it and the
    slower one's rename fail."""
    entry.parent.mkdir(parents=True, exist_ok=True)
    with open(f'{entry}.lock', 'w') as lock:
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except BlockingIOError:
            say(f'waiting for another run that makes {entry}')
            fcntl.flock(lock, fcntl.LOCK_EX)
        yield


class Apt:
    """Debian's archive through tools/make-release/debian-apt, with lists of its own
    under the cache folder NAME; downloads are unpacked into NAME/root,
    whose .packages names them."""

    def __init__(self, name: str):
        self.dir = CACHE / name
        self.root = self.dir / 'root'

    def cached(self) -> bool:
        packages = self.root / '.packages'
        if not packages.exists():
            return False
        say('using the cached ' + ' '.join(packages.read_text().split()))
        return True

    def open(self, arches: str) -> 'Apt':
        self.arches = arches
        say(f"downloading Debian's packages into {self.dir}")
        self.query('apt-get', 'update', '-q')
        return self

    def query(self, tool: str, *args: str, cwd=None) -> str:
        command = [str(HERE / 'tools/make-release/debian-apt'), str(self.dir / 'apt'), self.arches, tool, *args]
        done = subprocess.run(command, stdout=subprocess.PIPE, text=True, cwd=cwd)
        if done.returncode != 0:
            raise Fail(f'{tool} {" ".join(args)} failed')
        return done.stdout

    def has(self, package: str) -> bool:
        command = [str(HERE / 'tools/make-release/debian-apt'), str(self.dir / 'apt'), self.arches,
                   'apt-cache', 'show', package]
        return subprocess.run(command, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0

    def depends_of(self, metapackage: str) -> str:
        """The package a metapackage stands for today."""
        for line in self.query('apt-cache', 'depends', metapackage).splitlines():
            words = line.split()
            if words[:1] == ['Depends:'] and words[1].startswith('linux-'):
                return words[1]
        raise Fail(f'no package behind {metapackage}')

    def download(self, packages: list) -> None:
        debs, new = self.dir / 'debs', self.dir / 'root.new'
        for old in (debs, self.root, new):
            shutil.rmtree(old, ignore_errors=True)
        debs.mkdir(parents=True)
        new.mkdir()
        self.query('apt-get', 'download', '-q', *packages, cwd=debs)
        names = sorted(p.name for p in debs.glob('*.deb'))
        for name in names:
            subprocess.run(['dpkg-deb', '-x', str(debs / name), str(new)], check=True)
        (new / '.packages').write_text(''.join(n + '\n' for n in names))
        new.rename(self.root)


def one(pattern: str, root: Path) -> Path:
    found = sorted(root.glob(pattern))
    if len(found) != 1:
        raise Fail(f'{len(found)} files match {pattern} in {root}, not one')
    return found[0]


def build_module(module: str, tree: Path, arch: str, work: Path, log: Path) -> Path:
    """Builds a module of tools/kernels/ against a kernel tree or its headers."""
    karch, cross = TOOLCHAINS[arch]
    needs('make', cross + 'gcc')
    copy = work / f'module-{module}'
    shutil.rmtree(copy, ignore_errors=True)
    shutil.copytree(KERNELS / module, copy)
    run(['make', '-s', '-C', str(tree), f'M={copy}', f'ARCH={karch}', f'CROSS_COMPILE={cross}',
         'modules'], log, f'{module} did not build')
    return one('*.ko', copy)


def debian_packages(apt: Apt, kernel: DebianKernel, flavour: str) -> None:
    """The kernel's packages, downloaded into apt.root once."""
    if apt.cached():
        return
    apt.open(kernel.arch + (',amd64' if kernel.modules else ''))
    image = apt.depends_of(kernel.metapackage)
    package = image + '-unsigned' if apt.has(image + '-unsigned') else image
    packages = [package]
    if kernel.modules:
        # The module builds against the kernel's own headers, with
        # this machine's kbuild tools of the same version.
        abi = image.removeprefix('linux-image-').removesuffix('-' + flavour)
        version = apt.query('apt-cache', 'show', '--no-all-versions', image)
        version = next(line.split()[1] for line in version.splitlines()
                       if line.startswith('Version:'))
        kbuild = 'linux-kbuild-' + abi.split('-')[0].rsplit('.', 1)[0]
        packages += [f'linux-headers-{abi}-{flavour}', f'linux-headers-{abi}-common',
                     f'{kbuild}:amd64={version}']
    apt.download(packages)


def debian_kernel(name: str, kernel: DebianKernel, work: Path) -> Kernel:
    apt = Apt(name)
    flavour = kernel.metapackage.removeprefix('linux-image-')
    with locked(apt.dir):
        debian_packages(apt, kernel, flavour)
    files = {guest: one(pattern, apt.root) for guest, pattern in kernel.files.items()}
    if kernel.modules:
        headers = one(f'usr/src/linux-headers-*-{flavour}', apt.root)
        common = one('usr/src/linux-headers-*-common', apt.root)
        # The headers' Makefile includes the common headers at /usr/src.
        (headers / 'Makefile').write_text(f'include {common}/Makefile\n')
        for module in kernel.modules:
            ko = build_module(module, headers, kernel.arch, work, work / f'{name}-modules.log')
            files[ko.name] = ko
    return Kernel(one('boot/vmlinuz-*', apt.root), files)


def linux_source() -> tuple:
    """Debian's linux-source package, downloaded once: its tarball and
    version."""
    apt = Apt('source')
    with locked(apt.dir):
        if not apt.cached():
            apt.open('amd64').download([apt.depends_of('linux-source')])
    deb = next(n for n in (apt.root / '.packages').read_text().split() if n.startswith('linux-source-'))
    return one('usr/src/linux-source-*.tar.xz', apt.root), deb.split('_')[1]


def source_key(version: str, kernel: SourceKernel) -> str:
    """The source's version and a hash of the fragment, the patches and
    the modules."""
    digest = hashlib.sha256((KERNELS / 'config' / kernel.fragment).read_bytes())
    for patch in kernel.patches:
        digest.update(f'{patch}\n'.encode() + (KERNELS / 'config' / patch).read_bytes())
    for guest, path in sorted(kernel.files.items()):
        digest.update(f'{guest}={path}\n'.encode())
    for module in kernel.modules:
        for path in sorted((KERNELS / module).iterdir()):
            digest.update(path.read_bytes())
    return f'{version}-{digest.hexdigest()[:16]}'


def check_fragment(fragment: Path, config: Path) -> None:
    """Every line of the fragment must have held: Kconfig drops a setting
    whose dependencies are not met, and says so only in passing."""
    lines = set(config.read_text().splitlines())
    for setting in fragment.read_text().splitlines():
        if setting.startswith('CONFIG_'):
            held = setting in lines
        elif setting.startswith('# CONFIG_') and setting.endswith(' is not set'):
            option = setting[2:].split()[0]
            held = not any(line.startswith(option + '=') for line in lines)
        else:
            continue
        if not held:
            raise Fail(f"the kernel's .config lost '{setting}' of {fragment}")


def build_source_kernel(name: str, kernel: SourceKernel, key: str, tarball: Path, built: Path,
                        work: Path) -> None:
    """Builds the kernel from linux-source's TARBALL into the cache folder
    BUILT, which appears whole or not at all."""
    karch, cross = TOOLCHAINS[kernel.arch]
    image = built / Path(kernel.image).name
    say(f'building the {name} kernel {key} from linux-source (a few minutes)')
    src, log = work / f'{name}-src', work / f'{name}-build.log'
    src.mkdir()
    subprocess.run(['tar', '-xJf', str(tarball), '-C', str(src), '--strip-components=1'],
                   check=True)
    for patch in kernel.patches:
        run(['patch', '-p1', '-s', '--forward', '--no-backup-if-mismatch', '-d', str(src),
             '-i', str(KERNELS / 'config' / patch)], log, f'{patch} does not apply to linux-source')
    kmake = ['make', '-C', str(src), f'ARCH={karch}', f'CROSS_COMPILE={cross}']
    fragment = KERNELS / 'config' / kernel.fragment
    run(kmake + ['tinyconfig'], log, f'the {name} kernel could not be configured')
    run(['scripts/kconfig/merge_config.sh', '-m', '.config', str(fragment)], log,
        f'the {name} kernel could not be configured', cwd=src, env={**os.environ, 'ARCH': karch})
    run(kmake + ['olddefconfig'], log, f'the {name} kernel could not be configured')
    check_fragment(fragment, src / '.config')
    # "modules" makes the kernel's own modules, and what modules of
    # tools/kernels/ build against.
    targets = [image.name] + (['modules'] if kernel.modules or kernel.files else [])
    run(kmake + [f'-j{os.cpu_count()}', *targets], log, f'the {name} kernel did not build')
    new = Path(f'{built}.new')
    shutil.rmtree(new, ignore_errors=True)
    new.mkdir(parents=True)
    shutil.copy(src / kernel.image, new)
    shutil.copy(src / '.config', new)
    for guest, path in kernel.files.items():
        shutil.copy(src / path, new / guest)
    for module in kernel.modules:
        shutil.copy(build_module(module, src, kernel.arch, work, log), new)
    shutil.rmtree(built, ignore_errors=True)
    shutil.rmtree(src)
    new.rename(built)


def source_kernel(name: str, kernel: SourceKernel, work: Path) -> Kernel:
    cross = TOOLCHAINS[kernel.arch][1]
    needs('gcc', 'make', 'flex', 'bison', 'bc', cross + 'gcc', *(['patch'] if kernel.patches else []))
    tarball, version = linux_source()
    key = source_key(version, kernel)
    built = CACHE / name / 'build' / key
    image = built / Path(kernel.image).name
    with locked(built):
        if image.exists():
            say(f'using the cached {name} kernel {key}')
        else:
            build_source_kernel(name, kernel, key, tarball, built, work)
    files = {ko.name: ko for ko in built.glob('*.ko')}
    files.update({guest: built / guest for guest in kernel.files})
    return Kernel(image, files)


def get(name: str, kernel, work: Path) -> Kernel:
    if isinstance(kernel, DebianKernel):
        return debian_kernel(name, kernel, work)
    return source_kernel(name, kernel, work)
