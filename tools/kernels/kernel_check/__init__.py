# SPDX-License-Identifier: MIT
"""tools/kernel-check: real kernels under qemu, with cellora in the guest.

machines/ holds one record per machine; record.py says what a record
holds.  kernels.py gets or builds the kernels, guest.py makes the guests,
check.py boots them and checks what they report.
"""
import importlib.machinery
import types


def load_source(name: str, path) -> types.ModuleType:
    """A Python file of any name, such as a record or the tool itself, run
    as the module name."""
    loader = importlib.machinery.SourceFileLoader(name, str(path))
    module = types.ModuleType(loader.name)
    module.__file__ = loader.path
    loader.exec_module(module)
    return module
