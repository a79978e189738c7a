#!/usr/bin/env python3
"""Writes the seed corpus of the two fuzz targets (fuzz/corpus/): valid
files of each format, a refused one and cut-short ones, with answers."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def reel(samples, interval, channels, fmt):
    r = bytearray(b"\x40" * 3200 + b"\0" * 400)
    struct.pack_into(">HHH", r, 3212, channels, 0, interval)
    struct.pack_into(">HH", r, 3220, samples, 0)
    struct.pack_into(">H", r, 3224, fmt)
    return bytes(r)


def trace(number, samples, interval, data, distance=0, kind=1):
    h = bytearray(240)
    struct.pack_into(">i", h, 8, 1000)
    struct.pack_into(">i", h, 12, number)
    struct.pack_into(">h", h, 28, kind)
    struct.pack_into(">i", h, 36, distance)
    struct.pack_into(">HH", h, 114, samples, interval)
    return bytes(h) + data


def survey(fmt, samples=4, traces=3, channels=2):
    code = {1: ">I", 2: ">i", 3: ">h"}[fmt]
    values = {1: [0x41100000, 0xC276A000, 0x42640000, 0x00000000],
              2: [1, -1, 16777217, 2**31 - 1], 3: [1, -1, 32767, -32768]}[fmt]
    body = b"".join(
        trace(t + 1, samples, 2000, b"".join(struct.pack(code, values[k % 4]) for k in range(samples)),
              distance=t * 350, kind=t % 3)
        for t in range(traces))
    return reel(samples, 2000, channels, fmt) + body


def run_seed(flags, answers, file_bytes):
    a = answers.encode()
    return bytes([flags]) + struct.pack(">H", len(a)) + a + file_bytes


def write(folder, name, data):
    path = os.path.join(here, "corpus", folder, name)
    with open(path, "wb") as f:
        f.write(data)


def main():
    plain = "\n0\n\nn\nn\nn\n7"
    write("run", "ibm", run_seed(0, plain, survey(1)))
    write("run", "int32", run_seed(0, "\n2\n24\ny\nn\ny\ny\n6\n1", survey(2)))
    write("run", "int16-fixed", run_seed(0, "\n4\n\ny\ny\nn\ny\n2\n-5", survey(3)))
    write("run", "in-place", run_seed(1, "\n1\n\ny\nn\nn\nn\n3", survey(3, samples=900, traces=3)))
    write("run", "declined", run_seed(1, "\n1\n\nn", survey(1)))
    write("run", "no-channels", run_seed(0, "\n1\n0\n\nn\nn\nn\n1", survey(1, channels=0)))
    write("run", "refused-format", run_seed(0, plain, reel(4, 2000, 1, 5)))
    write("run", "short-reel", run_seed(0, plain, reel(4, 2000, 1, 1)[:1000]))
    cut = survey(1)
    write("run", "cut-trace", run_seed(0, plain, cut[:-7]))
    write("run", "mismatch", run_seed(0, plain, reel(6, 2000, 1, 1) + survey(1)[3600:]))
    write("run", "zero-length", run_seed(0, "\n0\n\nn\ny\nn\n1", reel(4, 2000, 1, 1) + trace(1, 0, 2000, b"") + survey(1)[3600:]))

    for fmt in (1, 2, 3):
        t = survey(fmt)[3600:3600 + 240 + 16]
        write("decode", f"format{fmt}", bytes([0x17]) + reel(4, 2000, 2, fmt) + t)
    write("decode", "distances", bytes([0x03]) + reel(4, 2000, 2, 1) +
          trace(1, 4, 2000, struct.pack(">4I", 0x61100000, 0x21100000, 0x1B800000, 0x80000000),
                distance=0x449C4000))


if __name__ == "__main__":
    main()
