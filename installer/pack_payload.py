#!/usr/bin/env python3
"""Appends every file of an installed product tree to the setup program:
TapdeckSetup.exe = stub + entries (u32 path length, UTF-8 path with
backslashes, u64 size, bytes) + u64 offset of the first entry + b"TPDPAY01".
Files named by --exclude=NAME (the test prefix's stand-ins) stay out."""
import os
import struct
import sys


def main(stub, tree, out, *options):
    excluded = {o[len("--exclude="):].lower() for o in options if o.startswith("--exclude=")}
    with open(stub, "rb") as f:
        image = f.read()
    entries = []
    names = []
    for root, dirs, files in os.walk(tree):
        dirs.sort()
        for name in sorted(files):
            if name.lower() in excluded:
                continue
            full = os.path.join(root, name)
            rel = os.path.relpath(full, tree).replace(os.sep, "\\")
            with open(full, "rb") as f:
                data = f.read()
            path = rel.encode("utf-8")
            names.append(rel)
            entries.append(struct.pack("<I", len(path)) + path + struct.pack("<Q", len(data)) + data)
    if not entries:
        sys.exit("pack_payload: no files under " + tree)
    tmp = out + ".tmp"
    with open(tmp, "wb") as f:
        f.write(image)
        f.write(b"".join(entries))
        f.write(struct.pack("<Q", len(image)))
        f.write(b"TPDPAY01")
    os.replace(tmp, out)
    # The list of what is inside, for whoever checks an installation.
    with open(out + ".files", "w", encoding="utf-8") as f:
        f.write("".join(name + "\n" for name in names))


if __name__ == "__main__":
    main(*sys.argv[1:])
