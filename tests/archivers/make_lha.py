#!/usr/bin/env python3
"""Writes LHA archives byte by byte, for the methods, header levels and systems that no tool on
this machine writes.

usage: make_lha.py CASE ARCHIVE [SOURCE]

The layouts follow the LHA header documents (LHa for UNIX "header.doc", the lzh format notes):

level 0   size(1) sum(1) method(5) packed(4) original(4) dostime(4) attr(1) level(1)
          namelen(1) name crc16(2)               -- size counts from "method" to the end,
                                                    sum is the byte sum of those bytes
level 1   size(1) sum(1) method(5) packed(4) original(4) dostime(4) 0x20 level(1)
          namelen(1) name crc16(2) os(1) next(2) [ext: type(1) data next(2)]...
                                                 -- packed counts the extended headers too
level 2   total(2) method(5) packed(4) original(4) unixtime(4) 0x20 level(1) crc16(2) os(1)
          next(2) [ext: type(1) data next(2)]...
level 3   4(2) method(5) packed(4) original(4) unixtime(4) 0x20 level(1) crc16(2) os(1)
          total(4) next(4) [ext: type(1) data next(4)]...
extended  0x00 header crc16 (of the whole header with this field zero), 0x01 file name,
          0x02 folder name (0xFF between folders), 0x40 MS-DOS attribute(2), 0x50 Unix mode(2)
The archive ends with one zero byte. crc16 is CRC-16/ARC (polynomial 0xA001, reflected).

Methods written here:
  -lh0- -lz4- -pm0-   stored data
  -lzs-               LArc: a bit stream, most significant bit first; "1" + 8 bits is one
                      literal byte (a "0" would start an 11-bit position and 4-bit length)
  -lz5-               LArc: a flag byte before every 8 items, least significant bit first;
                      bit 1 is one literal byte (a 0 would be a 2-byte match)
Only literals are written: the decoder runs its real path and the CRC proves the result.
  -lh4- -lhx-         relabel: the -lh5- stream of a small file (positions below 4 KiB) is a
                      valid -lh4- stream, and a -lh7- stream is a valid -lhx- one, as the
                      position tables of each pair are read with the same number of bits
                      (see "relabel" below, applied to archives jlha made).

MacBinary: a 128-byte header (byte 0 zero, name length at 1, name at 2, data fork length at 83
big-endian, resource fork length at 87, CRC-16/XMODEM of bytes 0-123 at 124) before the data
fork, padded to 128 bytes, as MacLHA stored files on the Mac ("m").
"""
import struct
import sys


def crc16(data, crc=0):
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def crc_xmodem(data):
    crc = 0
    for b in data:
        crc ^= b << 8
        for _ in range(8):
            crc = ((crc << 1) ^ 0x1021) & 0xFFFF if crc & 0x8000 else (crc << 1) & 0xFFFF
    return crc


DOSTIME = (41 << 25) | (3 << 21) | (4 << 16) | (5 << 11) | (6 << 5) | (8 // 2)  # 2021-03-04 05:06:08
UNIXTIME = 1614834368  # 2021-03-04 05:06:08 UTC


def encode_lzs(data):
    bits = []
    for b in data:
        bits.append(1)
        bits.extend((b >> (7 - i)) & 1 for i in range(8))
    while len(bits) % 8:
        bits.append(0)
    return bytes(int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8))


def encode_lz5(data):
    out = bytearray()
    for i in range(0, len(data), 8):
        chunk = data[i:i + 8]
        out.append((1 << len(chunk)) - 1)
        out += chunk
    return bytes(out)


def pack(method, data):
    if method in ("-lh0-", "-lz4-", "-pm0-", "-lhd-"):
        return data
    if method == "-lzs-":
        return encode_lzs(data)
    if method == "-lz5-":
        return encode_lz5(data)
    raise ValueError(method)


def member(name, data, method="-lh0-", level=0, os_id=b"M", folder=False, mode=None,
           name_bytes=None):
    """One header and its data. name is text ("/" between folders) or name_bytes raw bytes
    already in the stored form (level 0 and 1 keep "\\" as stored)."""
    raw = name_bytes if name_bytes is not None else name.encode("cp932")
    if folder:
        method = "-lhd-"
    packed = pack(method, data)
    crc = crc16(data)
    if level in (0, 1):
        stored = raw.replace(b"/", b"\\") if name_bytes is None else raw
        body = method.encode() + struct.pack("<III", len(packed), len(data), DOSTIME)
        body += bytes([0x20, level, len(stored)]) + stored + struct.pack("<H", crc)
        if level == 0:
            return bytes([len(body), sum(body) & 0xFF]) + body + packed
        first, chain = ext_chain([(0x50, struct.pack("<H", mode))] if mode is not None else [], 2)
        # Level 1 counts its extended headers as packed data.
        body = body[:5] + struct.pack("<I", len(packed) + len(chain)) + body[9:] + os_id + first
        return bytes([len(body), sum(body) & 0xFF]) + body + chain + packed

    parts = raw.rsplit(b"/", 1)
    records = []
    if level == 2:
        records.append((0x00, b"\0\0"))
    if folder:
        records.append((0x02, raw.replace(b"/", b"\xff").rstrip(b"\xff") + b"\xff"))
    else:
        records.append((0x01, parts[-1]))
        if len(parts) == 2:
            records.append((0x02, parts[0].replace(b"/", b"\xff") + b"\xff"))
    if mode is not None:
        records.append((0x50, struct.pack("<H", mode)))
    width = 2 if level == 2 else 4
    first, chain = ext_chain(records, width)
    fixed = method.encode() + struct.pack("<III", len(packed), len(data), UNIXTIME)
    fixed += bytes([0x20, level]) + struct.pack("<H", crc) + os_id
    if level == 2:
        total = 2 + len(fixed) + 2 + len(chain)
        header = struct.pack("<H", total) + fixed + first + chain
        if len(header) % 256 == 0:  # a size whose low byte is 0 would read as the end
            raise ValueError("pad the name")
        # The 0x00 record comes first, right after the base header, its CRC still zero.
        header = header[:27] + struct.pack("<H", crc16(header)) + header[29:]
    else:
        total = 2 + len(fixed) + 4 + 4 + len(chain)
        header = struct.pack("<H", 4) + fixed + struct.pack("<I", total) + first + chain
    return header + packed


def ext_chain(records, width):
    """The size field of the base header and the chain of extended headers after it."""
    fmt = "<H" if width == 2 else "<I"
    sizes = [1 + len(p) + width for _, p in records]
    chain = b""
    for i, (kind, payload) in enumerate(records):
        nxt = sizes[i + 1] if i + 1 < len(records) else 0
        chain += bytes([kind]) + payload + struct.pack(fmt, nxt)
    first = struct.pack(fmt, sizes[0] if sizes else 0)
    return first, chain


def macbinary(name, data):
    head = bytearray(128)
    head[1] = len(name)
    head[2:2 + len(name)] = name
    head[65:69] = b"TEXT"
    head[69:73] = b"ttxt"
    struct.pack_into(">II", head, 83, len(data), 0)
    head[122] = 129
    head[123] = 129
    struct.pack_into(">H", head, 124, crc_xmodem(bytes(head[:124])))
    pad = (-len(data)) % 128
    return bytes(head) + data + b"\0" * pad


def relabel(path, old, new):
    """Renames every member's method in an archive jlha made (header levels 0 to 2) and mends
    the header sum and the header CRC (extended header 0x00); the data stay as they are."""
    data = bytearray(open(path, "rb").read())
    at = 0
    while at < len(data) and data[at] != 0:
        level = data[at + 20]
        if data[at + 2:at + 7] == old.encode():
            data[at + 2:at + 7] = new.encode()
        packed = struct.unpack_from("<I", data, at + 7)[0]
        if level in (0, 1):
            base = 2 + data[at]
            data[at + 1] = sum(data[at + 2:at + base]) & 0xFF
            first, nxt = at + base, struct.unpack_from("<H", data, at + base - 2)[0]
            after = at + base + packed  # level 1 counts its extended headers as packed data
        else:
            first, nxt = at + 26, struct.unpack_from("<H", data, at + 24)[0]
            after = at + struct.unpack_from("<H", data, at)[0] + packed
        crc_at, i = None, first
        while nxt and level > 0:
            if data[i] == 0x00:
                crc_at = i + 1
            i += nxt
            nxt = struct.unpack_from("<H", data, i - 2)[0]
        if crc_at is not None:
            data[crc_at:crc_at + 2] = b"\0\0"
            data[crc_at:crc_at + 2] = struct.pack("<H", crc16(bytes(data[at:i])))
        at = after
    open(path, "wb").write(bytes(data))


TEXT = b"LHA archives of every kind.\r\n" * 40


def cases():
    sjis = "表示ソフト.txt"
    return {
        # method coverage, each member checked by its CRC
        "methods": [
            member("stored_lh0.txt", TEXT, "-lh0-", 1, b"M"),
            member("stored_lz4.txt", TEXT, "-lz4-", 1, b"M"),
            member("stored_pm0.txt", TEXT, "-pm0-", 2, b"U"),
            member("larc_lzs.txt", TEXT, "-lzs-", 0),
            member("larc_lz5.txt", TEXT, "-lz5-", 1, b"M"),
        ],
        # every header level and the systems LHA tools ran on
        "systems": [
            member("level0/msdos.txt", b"level 0", level=0),
            member("level1/os9.txt", b"OS-9", level=1, os_id=b"9"),
            member("level1/os2.txt", b"OS/2", level=1, os_id=b"2"),
            member("level2/amiga.txt", b"Amiga", level=2, os_id=b"A"),
            member("level2/atari.txt", b"Atari", level=2, os_id=b"a"),
            member("level2/x68000.txt", b"Human68k", level=2, os_id=b"H"),
            member("level2/unix.sh", b"#!/bin/sh\n", level=2, os_id=b"U", mode=0o100755),
            member("level3/unix.txt", b"level 3", level=3, os_id=b"U"),
            member("level3/" + sjis, b"japanese", level=3, os_id=b"W"),
            member("mac/readme.txt", macbinary(b"readme", b"Mac data fork"), level=1,
                   os_id=b"m"),
            member("level2/empty", b"", level=2, os_id=b"U", folder=True),
        ],
        # names as LHMelt and MacLHA stored them, and one that leaves the destination
        "rooted": [
            member("", b"in sub", level=1, name_bytes=b"\\sub\\a.txt"),
            member("", b"drive", level=0, name_bytes=b"C:\\top.txt"),
            member("", b"evil", level=0, name_bytes=b"..\\a.txt"),
            member("", b"last", level=2, name_bytes=b"/b.txt"),
        ],
    }


def main():
    case, archive = sys.argv[1], sys.argv[2]
    if case == "relabel":
        relabel(archive, sys.argv[3], sys.argv[4])
        return
    if case == "deep":
        # A folder chain of about 4,000 bytes, then an ordinary member.
        chain = "/".join(["d" * 99] * 40) + "/deep.txt"
        members = [member(chain, b"deep", level=2, os_id=b"U"),
                   member("fine.txt", b"fine", level=2, os_id=b"U")]
    else:
        members = cases()[case]
    with open(archive, "wb") as out:
        for m in members:
            out.write(m)
        out.write(b"\0")


if __name__ == "__main__":
    main()
