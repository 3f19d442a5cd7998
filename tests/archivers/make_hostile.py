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
    if case == "zip_understated_size":
        zip_understating(archive, "bomb.bin", 20 << 20, 1000)
    elif case in zips:
        zip_with(archive, zips[case])
    elif case in tars:
        tar_with(archive, tars[case])
    else:
        sys.exit("unknown case " + case)


if __name__ == "__main__":
    main()
