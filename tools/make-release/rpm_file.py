# SPDX-License-Identifier: MIT
"""An RPM file as rpm 3.0 and later read it: the 96-byte lead, the
signature header (padded to 8 bytes), the main header and the payload,
and the newc cpio archive in the payload."""
import gzip
import struct
from dataclasses import dataclass

LEAD_MAGIC = b'\xed\xab\xee\xdb'
HEADER_MAGIC = b'\x8e\xad\xe8\x01'
# Header value types.
INT16, INT32, STRING, BIN, STRING_ARRAY = 3, 4, 6, 7, 8
# Signature tags.
SIG_SIZE, SIG_MD5, SIG_PAYLOADSIZE, SIG_SHA1, SIG_SHA256 = 1000, 1004, 1007, 269, 273
# Main header tags.
(NAME, VERSION, RELEASE, REQUIRENAME, FILEDIGESTALGO, ARCHIVESIZE, PAYLOADFORMAT,
 PAYLOADCOMPRESSOR, PAYLOADDIGEST, PAYLOADDIGESTALT, OLDFILENAMES, DIRNAMES,
 FILEMODES, FILEDIGESTS) = (1000, 1001, 1002, 1049, 5011, 1046, 1124, 1125, 5092, 5097,
                            1027, 1118, 1030, 1035)


class Malformed(Exception):
    pass


@dataclass
class Entry:
    tag: int
    type: int
    offset: int
    count: int


class Header:
    """A header structure: its index and its data store, as on disk."""

    def __init__(self, data: bytes, at: int):
        if data[at:at + 4] != HEADER_MAGIC:
            raise Malformed(f'no header at byte {at}')
        count, size = struct.unpack('>II', data[at + 8:at + 16])
        index = at + 16
        self.entries = [Entry(*struct.unpack('>IIII', data[index + 16 * i:index + 16 * i + 16]))
                        for i in range(count)]
        self.store = bytearray(data[index + 16 * count:index + 16 * count + size])
        self.length = 16 + 16 * count + size

    def entry(self, tag: int):
        return next((e for e in self.entries if e.tag == tag), None)

    def get(self, tag: int):
        """The value of a tag: ints, strings, or bytes; None where absent."""
        e = self.entry(tag)
        if e is None:
            return None
        if e.type == INT32:
            return list(struct.unpack(f'>{e.count}I', self.store[e.offset:e.offset + 4 * e.count]))
        if e.type == INT16:
            return list(struct.unpack(f'>{e.count}H', self.store[e.offset:e.offset + 2 * e.count]))
        if e.type == BIN:
            return bytes(self.store[e.offset:e.offset + e.count])
        if e.type in (STRING, STRING_ARRAY, 9):
            out, at = [], e.offset
            for _ in range(e.count):
                end = self.store.index(b'\0', at)
                out.append(self.store[at:end].decode('latin-1'))
                at = end + 1
            return out
        return None

    def put(self, tag: int, value) -> None:
        """Replaces a value by one of the same size: the layout stays."""
        e = self.entry(tag)
        if e is None:
            return
        if e.type == INT32:
            new = struct.pack(f'>{len(value)}I', *value)
        elif e.type == BIN:
            new = value
        else:
            new = value.encode('latin-1') + b'\0'
        if e.type != INT32 and len(new) != len(self.get_raw(e)):
            raise Malformed(f'tag {tag}: a value of another size')
        self.store[e.offset:e.offset + len(new)] = new

    def get_raw(self, e: Entry) -> bytes:
        if e.type == BIN:
            return bytes(self.store[e.offset:e.offset + e.count])
        end = self.store.index(b'\0', e.offset)
        return bytes(self.store[e.offset:end + 1])

    def bytes(self) -> bytes:
        index = b''.join(struct.pack('>IIII', e.tag, e.type, e.offset, e.count) for e in self.entries)
        return HEADER_MAGIC + b'\0' * 4 + struct.pack('>II', len(self.entries), len(self.store)) + \
            index + bytes(self.store)


class Rpm:
    def __init__(self, data: bytes):
        if len(data) < 96 or data[:4] != LEAD_MAGIC:
            raise Malformed('no RPM lead')
        self.lead = data[:96]
        self.signature = Header(data, 96)
        at = 96 + self.signature.length
        at += -at % 8
        self.header = Header(data, at)
        self.payload = data[at + self.header.length:]

    def lead_fields(self) -> dict:
        major, minor, kind, arch = struct.unpack('>BBhh', self.lead[4:10])
        name = self.lead[10:76].split(b'\0')[0].decode('latin-1')
        os, signature_type = struct.unpack('>hh', self.lead[76:80])
        return dict(major=major, minor=minor, type=kind, arch=arch, name=name, os=os,
                    signature_type=signature_type)

    def bytes(self) -> bytes:
        signature = self.signature.bytes()
        return self.lead + signature + b'\0' * (-len(signature) % 8) + self.header.bytes() + self.payload


def bare_name(name: str) -> str:
    """A payload name without the "./" or "/" that rpm 4 writes before it."""
    return name[2:] if name.startswith('./') else name.lstrip('/')


def cpio_entries(archive: bytes) -> list:
    """(name, header fields, data) of each member of a newc archive, the
    trailer included."""
    out, at = [], 0
    while True:
        if archive[at:at + 6] != b'070701':
            raise Malformed(f'no newc cpio header at byte {at} of the payload')
        fields = [int(archive[at + 6 + 8 * i:at + 14 + 8 * i], 16) for i in range(13)]
        namesize, filesize = fields[11], fields[6]
        name = archive[at + 110:at + 110 + namesize - 1].decode('latin-1')
        at += 110 + namesize
        at += -at % 4
        data = archive[at:at + filesize]
        at += filesize
        at += -at % 4
        out.append((name, fields, data))
        if name == 'TRAILER!!!':
            return out


def cpio_archive(entries: list) -> bytes:
    out = bytearray()
    for name, fields, data in entries:
        fields = list(fields)
        fields[11], fields[6] = len(name) + 1, len(data)
        out += b'070701' + b''.join(b'%08X' % f for f in fields) + name.encode('latin-1') + b'\0'
        out += b'\0' * (-len(out) % 4) + data
        out += b'\0' * (-len(out) % 4)
    return bytes(out)


def payload_archive(rpm: Rpm) -> bytes:
    if rpm.header.get(PAYLOADCOMPRESSOR) not in (None, ['gzip']) or rpm.payload[:2] != b'\x1f\x8b':
        raise Malformed('the payload is not gzip')
    return gzip.decompress(rpm.payload)
