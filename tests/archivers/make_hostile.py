#!/usr/bin/env python3
"""Writes one hostile archive for the escape tests.

usage: make_hostile.py CASE ARCHIVE TARGET
TARGET is the absolute path of the folder the archive tries to reach; it lies beside the
destination folder, so "../target" from the destination is TARGET.
"""
import io
import struct
import sys
import tarfile
import zipfile


def zip_with(path, entries):
    with zipfile.ZipFile(path, "w") as z:
        for name, data, symlink in entries:
            info = zipfile.ZipInfo(name)
            if symlink:
                info.create_system = 3
                info.external_attr = 0o120777 << 16
            z.writestr(info, data)


def zip_understating(path, name, size, declared):
    """A deflated member of size zero bytes whose headers declare only declared bytes."""
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(name, bytes(size))
    data = bytearray(open(path, "rb").read())
    struct.pack_into("<I", data, 22, declared)
    central = data.find(b"PK\x01\x02")
    struct.pack_into("<I", data, central + 24, declared)
    open(path, "wb").write(data)


def local_header(name, data):
    return struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, 0, 0, 0, zlib_crc(data), len(data),
                       len(data), len(name), 0) + name


def central_header(name, data, offset):
    return struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, 0, 0, 0, zlib_crc(data),
                       len(data), len(data), len(name), 0, 0, 0, 0, 0, offset) + name


def zlib_crc(data):
    import zlib
    return zlib.crc32(data) & 0xFFFFFFFF


def raw_zip(path, members):
    """Stored members written by hand: (central name, local name, data, local offset or None).
    A member with an offset is not written; its central record points into what is there."""
    body = b""
    central = b""
    for central_name, local_name, data, offset in members:
        if offset is None:
            offset = len(body)
            body += local_header(local_name, data) + data
        central += central_header(central_name, data, offset)
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(members), len(members), len(central),
                      len(body), 0)
    open(path, "wb").write(body + central + end)


def zip_overlapping(path):
    """A member whose data holds a second member's local header and data: both central records
    point into the same bytes."""
    inner = b"inner data"
    inner_header = local_header(b"inner.txt", inner)
    outer = inner_header + inner
    raw_zip(path, [(b"outer.txt", b"outer.txt", outer, None),
                   (b"inner.txt", b"inner.txt", inner, 30 + len(b"outer.txt"))])


def tar_with(path, entries):
    with tarfile.open(path, "w", format=tarfile.GNU_FORMAT) as t:
        for kind, name, value in entries:
            info = tarfile.TarInfo(name)
            info.mtime = 1600000000
            data = None
            if kind == "file":
                data = value.encode()
                info.size = len(data)
                info.mode = 0o644
            elif kind == "setid":
                data = value.encode()
                info.size = len(data)
                info.mode = 0o6755
            elif kind == "dir":
                info.type = tarfile.DIRTYPE
                info.mode = 0o755
            elif kind == "symlink":
                info.type = tarfile.SYMTYPE
                info.linkname = value
            elif kind == "hardlink":
                info.type = tarfile.LNKTYPE
                info.linkname = value
            elif kind == "chardev":
                info.type = tarfile.CHRTYPE
                info.devmajor, info.devminor = 1, 3
            elif kind == "fifo":
                info.type = tarfile.FIFOTYPE
            t.addfile(info, io.BytesIO(data) if data is not None else None)


def main():
    case, archive, target = sys.argv[1], sys.argv[2], sys.argv[3]
    evil = "evil"
    zips = {
        "zip_dotdot": [("../target/evil.txt", evil, False)],
        "zip_nested_dotdot": [("safe/../../target/evil.txt", evil, False)],
        "zip_absolute": [(target + "/evil.txt", evil, False)],
        "zip_backslash": [("..\\target\\evil.txt", evil, False)],
        "zip_drive": [("C:/target/evil.txt", evil, False)],
        "zip_symlink_dir": [("link", "../target", True), ("link/evil.txt", evil, False)],
        "zip_pre_existing_link": [("pre/evil.txt", evil, False)],
        "zip_mixed": [("first.txt", "first", False), ("../target/evil.txt", evil, False),
                      ("/etc/evil.txt", evil, False), ("last.txt", "last", False)],
    }
    tars = {
        "tar_dotdot": [("file", "../target/evil.txt", evil)],
        "tar_symlink_dir": [("symlink", "link", "../target"), ("file", "link/evil.txt", evil)],
        "tar_symlink_absolute": [("symlink", "link", target), ("file", "link/evil.txt", evil)],
        "tar_symlink_write_through": [("symlink", "link", "../target/sentinel.txt"),
                                      ("file", "link", evil)],
        "tar_symlink_then_folder": [("symlink", "d", "../target"), ("dir", "d/sub", "")],
        "tar_hardlink_out": [("hardlink", "hl", "../target/sentinel.txt"), ("file", "hl", evil)],
        "tar_hardlink_absolute": [("hardlink", "hl", target + "/sentinel.txt"),
                                  ("file", "hl", evil)],
        "tar_chained_links": [("dir", "s", ""), ("symlink", "s/u", ".."),
                              ("symlink", "e", "s/u/s/u/../target")],
        "tar_link_before_parent_link": [("symlink", "e", "s/u/.."), ("dir", "s", ""),
                                        ("symlink", "s/u", "..")],
        "tar_device": [("chardev", "dev", "")],
        "tar_fifo": [("fifo", "pipe", "")],
        "tar_inside_links": [("file", "docs/readme.txt", "read me"),
                             ("symlink", "readme", "docs/readme.txt"),
                             ("symlink", "docs/self", "../docs"),
                             ("hardlink", "copy.txt", "docs/readme.txt")],
        "tar_setid": [("setid", "tool", "#!/bin/sh\n")],
        "tar_deep_name": [("file", "a/" * 100000 + "evil.txt", evil),
                          ("file", "fine.txt", "fine")],
    }
    raws = {
        "zip_nul_name": [(b"evil.exe\0.txt", b"evil.exe\0.txt", b"evil", None),
                         (b"fine.txt", b"fine.txt", b"fine", None)],
        "zip_control_name": [(b"two\nlines.txt", b"two\nlines.txt", b"evil", None),
                             (b"fine.txt", b"fine.txt", b"fine", None)],
        "zip_local_name_differs": [(b"readme.txt", b"readme.exe", b"MZ evil", None),
                                   (b"fine.txt", b"fine.txt", b"fine", None)],
        "zip_same_name_twice": [(b"same.txt", b"same.txt", b"first", None),
                                (b"same.txt", b"same.txt", b"second", None),
                                ("caf\u00e9.txt".encode(), "caf\u00e9.txt".encode(), b"nfc", None),
                                ("cafe\u0301.txt".encode(), "cafe\u0301.txt".encode(), b"nfd",
                                 None)],
    }
    if case == "zip_understated_size":
        zip_understating(archive, "bomb.bin", 20 << 20, 1000)
    elif case == "zip_overlapping":
        zip_overlapping(archive)
    elif case in raws:
        raw_zip(archive, raws[case])
    elif case in zips:
        zip_with(archive, zips[case])
    elif case in tars:
        tar_with(archive, tars[case])
    else:
        sys.exit("unknown case " + case)


if __name__ == "__main__":
    main()
