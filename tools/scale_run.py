#!/usr/bin/env python3
"""Makes a large run directory from a small one by repeating its cases.

    tools/scale_run.py SOURCE_RUN TARGET_RUN CASES

The case records of intermed.q and the values of every wmvals%d.q are repeated in
turn until the target holds CASES cases; every other file is copied unchanged.
Used to measure the converter on files of millions of respondents.
"""
import glob
import os
import shutil
import struct
import sys


def repeat_to(records, count, out):
    whole, part = divmod(count, len(records))
    block = b"".join(records)
    for _ in range(whole):
        out.write(block)
    out.write(b"".join(records[:part]))


def main():
    source, target, cases = sys.argv[1], sys.argv[2], int(sys.argv[3])
    shutil.rmtree(target, ignore_errors=True)
    shutil.copytree(source, target)

    with open(os.path.join(source, "intermed.q"), "rb") as f:
        data = f.read()
    levels, tag, bits, values = struct.unpack_from("<4i", data, 64)
    size = tag + bits + values
    body = data[80:]
    records = [body[i:i + size] for i in range(0, len(body) - len(body) % size, size)]
    with open(os.path.join(target, "intermed.q"), "wb") as out:
        out.write(data[:80])
        repeat_to(records, cases, out)

    for path in glob.glob(os.path.join(source, "wmvals*.q")):
        with open(path, "rb") as f:
            data = f.read()
        values = [data[i:i + 4] for i in range(64, len(data) - (len(data) - 64) % 4, 4)]
        with open(os.path.join(target, os.path.basename(path)), "wb") as out:
            out.write(data[:64])
            repeat_to(values, cases, out)


if __name__ == "__main__":
    main()
