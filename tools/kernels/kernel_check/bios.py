# SPDX-License-Identifier: MIT
"""x86 scenarios that are set before the kernel starts: a copy of SeaBIOS
whose APM "get power status" call returns values of its own."""
import re
import struct
from pathlib import Path

from .kernels import Fail

STOCK = Path('/usr/share/seabios/bios-256k.bin')

# SeaBIOS's handler for INT 15h AX=530Ah sets BX=0x01FF, CX=0x80FF,
# DX=0xFFFF with three "mov word [ebx+disp], imm16" (0x66 or 0x67, C7 43
# disp imm16); the image holds it twice, for the 16-bit and the 32-bit entry.
_HANDLER = re.compile(rb'([\x66\x67]\xc7\x43\x10)\xff\x01([\x66\x67]\xc7\x43\x18)\xff\x80'
                      rb'([\x66\x67]\xc7\x43\x14)\xff\xff')


def patched(answer: tuple, out: Path) -> Path:
    """SeaBIOS answering (AC line status, battery status, battery flag,
    percent, time), written to out once."""
    if out.exists():
        return out
    if not STOCK.exists():
        raise Fail(f"needs {STOCK} (Debian's seabios)")
    ac, status, flag, percent, time = answer
    bx, cx, dx = (struct.pack('<H', v) for v in (ac << 8 | status, flag << 8 | percent, time))
    image = STOCK.read_bytes()
    found = len(_HANDLER.findall(image))
    if found != 2:
        raise Fail(f'the APM power status handler was found {found} times, not twice')
    out.write_bytes(_HANDLER.sub(lambda m: m[1] + bx + m[2] + cx + m[3] + dx, image))
    return out
