#!/usr/bin/env python3
"""Writes the "MUI" resource configuration of a program or of one of its
language-resource files.

The block is what the Windows resource loader reads to learn which resource
types stay in the program (icons, version record, manifest, the
configuration itself) and which live in <language>\\<program>.mui (the string
tables), and which language is the ultimate fallback.

Layout (little endian, 32-bit fields):
    0   signature 0xFECDFECD
    4   size of the whole block
    8   version 0x00010000
    12  path type (0)
    16  file type: 0x11 program, 0x10 language-resource file
    20  system attributes (0)
    24  ultimate fallback location: 2 = in a language-resource file, 0 = none
    28  service checksum (16 bytes)
    44  checksum (16 bytes): ties the program to its language files
    60  reserved (24 bytes)
    84  six offset/size pairs, offsets from the start of the block:
        type names kept in the program, type ids kept in the program,
        type names in the language files, type ids in the language files,
        language name, ultimate fallback language name
    132 end of the header; data starts at 136
Every item starts on an 8-byte boundary; an absent item has offset and size 0.
Names are UTF-16 with a terminating NUL; a name list ends with an extra NUL.

Usage: make_mui_config.py {program|language} FILE_NAME LANGUAGE OUT
  FILE_NAME  the program's file name ("Tapdeck.exe")
  LANGUAGE   the fallback language (program) or the file's language
"""
import hashlib
import struct
import sys

SIGNATURE = 0xFECDFECD
VERSION = 0x00010000
FILE_TYPE_PROGRAM = 0x11
FILE_TYPE_LANGUAGE = 0x10
FALLBACK_IN_LANGUAGE_FILE = 2
HEADER_SIZE = 132
DATA_START = 136

RT_ICON, RT_STRING, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 6, 14, 16, 24
PROGRAM_TYPE_IDS = (RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST)
PROGRAM_TYPE_NAMES = ("MUI",)
LANGUAGE_TYPE_IDS = (RT_STRING,)


def utf16z(text):
    return (text + "\0").encode("utf-16-le")


def name_list(names):
    return b"".join(utf16z(n) for n in names) + "\0".encode("utf-16-le") if names else b""


def id_list(ids):
    return b"".join(struct.pack("<I", i) for i in ids)


def checksum(file_name):
    # The same for the program and every language file of one major version,
    # so that any of them matches the program.
    return hashlib.md5(("%s|1" % file_name.lower()).encode("utf-8")).digest()


def build(kind, file_name, language):
    program = kind == "program"
    items = [
        name_list(PROGRAM_TYPE_NAMES) if program else b"",
        id_list(PROGRAM_TYPE_IDS) if program else b"",
        b"",
        id_list(LANGUAGE_TYPE_IDS),
        b"" if program else utf16z(language),
        utf16z(language) if program else b"",
    ]
    data = bytearray()
    pairs = []
    for item in items:
        if not item:
            pairs += [0, 0]
            continue
        pairs += [DATA_START + len(data), len(item)]
        data += item
        data += b"\0" * (-len(data) % 8)
    size = DATA_START + len(data)
    digest = checksum(file_name)
    header = struct.pack(
        "<7I16s16s24s12I",
        SIGNATURE, size, VERSION, 0,
        FILE_TYPE_PROGRAM if program else FILE_TYPE_LANGUAGE,
        0,
        FALLBACK_IN_LANGUAGE_FILE if program else 0,
        digest, digest, b"", *pairs)
    assert len(header) == HEADER_SIZE
    return header + b"\0" * (DATA_START - HEADER_SIZE) + bytes(data)


def main(argv):
    if len(argv) != 5 or argv[1] not in ("program", "language"):
        sys.stderr.write(__doc__)
        return 2
    blob = build(argv[1], argv[2], argv[3])
    with open(argv[4], "wb") as out:
        out.write(blob)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
