# SPDX-License-Identifier: MIT
"""What a machine's record says: its kernel, its qemu, its guest and its
scenarios, each with the line the kernel must write and what cellora must
print for it."""
from dataclasses import dataclass, field
from typing import Optional, Union


@dataclass(frozen=True)
class DebianKernel:
    """One of Debian's kernels, found through its metapackage."""
    arch: str                 # Debian architecture of the kernel
    metapackage: str          # e.g. linux-image-686: the kernel it depends on today
    # Files of the kernel's package for the guest: name in the guest's / to
    # a glob in the unpacked package.
    files: dict = field(default_factory=dict)
    # Modules of tools/kernels/ to build against the kernel's own headers.
    modules: tuple = ()


@dataclass(frozen=True)
class SourceKernel:
    """A kernel built here from Debian's linux-source, with our patches:
    tinyconfig and the fragment tools/kernels/config/FRAGMENT, merged by
    merge_config.sh."""
    fragment: str
    arch: str                 # Debian architecture to build for
    image: str                # what qemu boots, in the built tree
    modules: tuple = ()       # modules of tools/kernels/ to build with it
    # Patches of ours to the source, in tools/kernels/config/, applied with
    # patch -p1 before it is configured; each says why at its top.
    patches: tuple = ()
    # Files of the built tree for the guest, such as the kernel's own
    # modules: name in the guest's / to the path in the tree.
    files: dict = field(default_factory=dict)


@dataclass(frozen=True)
class Want:
    """What a program must do: exit status, standard output and error."""
    status: int
    out: str = ''
    err: str = ''


def report(battery: int, ac_line: str) -> Want:
    return Want(0, f'battery={battery}\nac_line={ac_line}\n')


NO_LEVEL = Want(1, err='Can not get battery level\n')


def read_failure(reason: str) -> Want:
    return Want(1, err=f"cellora: Can't read proc info: {reason}\n")


@dataclass(frozen=True)
class Boot:
    """What is set before the kernel starts: scenarios that differ in it
    boot apart, in order; the others share a boot."""
    # The x86 APM BIOS's answer to "get power status": AC line status,
    # battery status, battery flag, percent and time, or None for SeaBIOS's
    # own.
    bios: Optional[tuple] = None
    append: str = ''          # more of the kernel's command line


@dataclass(frozen=True)
class Scenario:
    name: str
    # The line the kernel must write, without its newline; several where
    # the kernel's own timing decides which one a scenario meets; None
    # where there must be no /proc/apm.
    line: Union[str, tuple, None]
    want: Want                # what cellora must do
    steps: tuple = ()         # the guest's steps before it reports
    boot: Boot = Boot()


@dataclass(frozen=True)
class Control:
    """A binary that the guest must refuse.  By default its CPU refuses it:
    on the CPUs named (all of them without any) it must die of SIGILL and
    print nothing; on the others it must do what `otherwise` says.  With
    `refused`, the kernel refuses it: a program that would print `refused`
    if it ran must not print it, whatever becomes of it (a kernel of
    another ABI may read its system calls as other calls, so no particular
    signal is certain)."""
    label: str
    dies_on: tuple = ()
    otherwise: Optional[Want] = None
    refused: str = ''


@dataclass(frozen=True)
class Machine:
    about: str                # one line for the listing
    kernel: Union[DebianKernel, SourceKernel]
    qemu: str                 # qemu's system emulator
    options: tuple            # its options for the machine, memory included
    cpus: tuple               # one boot of every scenario per CPU model; () for the machine's own
    console: str              # the kernel's console device
    guest_arch: str           # the release target the guest's init is built like
    binaries: tuple           # labels of the programs under test, when none are given
    scenarios: tuple
    setup: tuple = ()         # the guest's steps at every boot, before any scenario's
    controls: tuple = ()      # the Controls among the binaries
