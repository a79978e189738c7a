#!/usr/bin/env python3
"""Converts real and generated SEG-Y files with tarnvik and checks every
output trace, header words and samples, against python3-segyio's own
decoding of the input.

Usage: segyio_crosscheck.py TARNVIK DATA_DIR
The environment variable TARNVIK_COMMAND, when set, is the command to run
instead (for instance the Windows build under Wine).
Exits 77 (skipped) when segyio is not installed, unless CI is set.
"""
import os
import shlex
import shutil
import struct
import subprocess
import sys
import tempfile

try:
    import numpy as np
    import segyio
except ImportError:
    if os.environ.get("CI"):
        print("python3-segyio is required in CI")
        sys.exit(1)
    print("python3-segyio not installed: skipped")
    sys.exit(77)

TF = segyio.TraceField
failures = []


def fail(message):
    failures.append(message)
    print("FAIL:", message)


def convert(binary, workdir, name, answers):
    command = shlex.split(os.environ.get("TARNVIK_COMMAND", "")) or [binary]
    result = subprocess.run(command, cwd=workdir, input=answers.encode(),
                            stdout=subprocess.PIPE, check=False)
    return result.stdout.decode("latin-1"), result.returncode


def read_varn(path):
    """The traces of a VARN file: 120 little-endian words, then word 57
    little-endian float32 samples."""
    data = open(path, "rb").read()
    traces, pos = [], 0
    while pos < len(data):
        words = struct.unpack_from("<120H", data, pos)
        count = words[57]
        samples = np.frombuffer(data, dtype="<f4", count=count, offset=pos + 240)
        traces.append((words, samples))
        pos += 240 + 4 * count
    if pos != len(data):
        fail(f"{path}: the traces do not end where the file does")
    return traces


def expected_distance(offset):
    """Words 18 and 34 for a 32-bit integer distance."""
    value = np.float32(offset)
    if abs(value) > 32000:
        value = np.float32(32000)
    magnitude = abs(value)
    multiplier = 1
    for threshold, m in ((10000, 1), (1000, 10), (100, 100), (10, 1000), (1, 10000)):
        if magnitude < threshold:
            multiplier = m
    scaled = int(np.trunc(np.float64(value) * multiplier))
    return scaled & 0xFFFF, multiplier


def ibm_in_range(word):
    """Normalised IBM values inside the single-precision normal range:
    the ones an independent decoder is expected to agree on."""
    exponent = (word >> 24) & 0x7F
    fraction = word & 0xFFFFFF
    if exponent == 0 or fraction == 0:
        return True
    if fraction >> 20 == 0:
        return False
    return 34 <= exponent <= 96


def crosscheck(binary, source, data_type=1, ssn=1):
    name = os.path.basename(source)
    work = tempfile.mkdtemp(prefix="tarnvik-crosscheck-")
    try:
        shutil.copy(source, os.path.join(work, name))
        answers = f"\n{name}\n{data_type}\n\nout.varn\ny\nn\nn\nn\n{ssn}\n"
        console, status = convert(binary, work, name, answers)
        if status != 0:
            fail(f"{name}: exit status {status}")
            return 0
        traces = read_varn(os.path.join(work, "out.varn"))
        raw = open(source, "rb").read()
        with segyio.open(source, ignore_geometry=True) as f:
            if len(traces) != f.tracecount:
                fail(f"{name}: {len(traces)} traces written, segyio reads {f.tracecount}")
                return 0
            reel_samples = f.bin[segyio.BinField.Samples]
            reel_interval = f.bin[segyio.BinField.Interval]
            channels = f.bin[segyio.BinField.Traces]
            record, current = 0, ssn
            compared = 0
            sample_size = 2 if f.format == segyio.SegySampleFormat.SIGNED_SHORT_2_BYTE else 4
            for i, (words, samples) in enumerate(traces):
                h = f.header[i]
                expected = [0] * 120
                expected[0] = data_type
                expected[1] = channels
                expected[2] = 12 if data_type == 2 else 0
                expected[5] = h[TF.FieldRecord] & 0xFFFF
                expected[7] = h[TF.TraceNumber] & 0xFFFF
                expected[11] = h[TF.CDP] & 0xFFFF
                expected[13] = h[TF.CDP_TRACE] & 0xFFFF
                trace_id = h[TF.TraceIdentificationCode]
                expected[14] = trace_id if trace_id in (1, 2) else 1
                expected[15] = h[TF.NSummedTraces] & 0xFFFF
                expected[16] = h[TF.NStackedTraces] & 0xFFFF
                expected[18], expected[34] = expected_distance(h[TF.offset])
                expected[54] = h[TF.DelayRecordingTime] & 0xFFFF
                if h[TF.TRACE_SAMPLE_COUNT] == reel_samples:
                    expected[57] = h[TF.TRACE_SAMPLE_COUNT]
                    expected[58] = h[TF.TRACE_SAMPLE_INTERVAL] & 0xFFFF
                else:
                    expected[57] = reel_samples
                    expected[58] = reel_interval
                expected[59] = 0x55AA
                expected[91] = current & 0xFFFF
                record += 1
                if record >= channels:
                    expected[87] = 1
                    record, current = 0, current + 1
                if list(words) != expected:
                    diff = [(k, words[k], expected[k]) for k in range(120) if words[k] != expected[k]]
                    fail(f"{name} trace {i}: header words (word, got, expected) {diff}")
                reference = np.asarray(f.trace.raw[i], dtype=np.float32)
                offset = 3600 + i * (240 + sample_size * reel_samples) + 240
                for k in range(len(samples)):
                    if f.format == segyio.SegySampleFormat.IBM_FLOAT_4_BYTE:
                        word = struct.unpack_from(">I", raw, offset + 4 * k)[0]
                        if not ibm_in_range(word):
                            continue
                    compared += 1
                    if samples[k].view(np.uint32) != reference[k].view(np.uint32):
                        fail(f"{name} trace {i} sample {k}: {samples[k]!r} != {reference[k]!r}")
                        break
        if console.count(" Normalizing value = 1.000000\n") != len(traces):
            fail(f"{name}: one progress line a trace expected")
        print(f"{name}: {len(traces)} traces, {compared} samples agree")
        return compared
    finally:
        shutil.rmtree(work)


def write_integer_file(path, fmt, values, interval=2000, channels=12):
    """A SEG-Y file of big-endian integers (format 2 or 3), one row a trace,
    with a distance in every trace header."""
    traces, n = values.shape
    reel = bytearray(3600)
    struct.pack_into(">h", reel, 3212, channels)
    struct.pack_into(">H", reel, 3216, interval)
    struct.pack_into(">H", reel, 3220, n)
    struct.pack_into(">h", reel, 3224, fmt)
    out = bytearray(reel)
    code = ">i" if fmt == 2 else ">h"
    for i in range(traces):
        th = bytearray(240)
        struct.pack_into(">i", th, 8, 1000 + i // channels)
        struct.pack_into(">i", th, 12, i % channels + 1)
        struct.pack_into(">h", th, 28, 1)
        struct.pack_into(">i", th, 36, (i * 997) % 50000 - 10000)
        struct.pack_into(">HH", th, 114, n, interval)
        out += th + np.asarray(values[i], dtype=code).tobytes()
    open(path, "wb").write(out)


def write_ibm_file(path, values):
    """An IBM float file written by segyio itself, from single values."""
    spec = segyio.spec()
    spec.format = 1
    spec.samples = list(range(values.shape[1]))
    spec.tracecount = values.shape[0]
    with segyio.create(path, spec) as f:
        f.bin.update(hdt=4000, hns=values.shape[1], tsort=0)
        for i in range(values.shape[0]):
            f.header[i] = {TF.TRACE_SAMPLE_COUNT: values.shape[1],
                           TF.TRACE_SAMPLE_INTERVAL: 4000, TF.TraceNumber: i + 1,
                           TF.TraceIdentificationCode: 1 + i % 3, TF.offset: i * 37}
            f.trace[i] = values[i]
    # segyio leaves the traces-per-record field as it was: set it.
    with open(path, "r+b") as raw:
        raw.seek(3212)
        raw.write(struct.pack(">h", 6))


def main():
    binary, data_dir = os.path.abspath(sys.argv[1]), sys.argv[2]
    for fixture in ("small.sgy", "small-ps.sgy", "tiny.sgy"):
        crosscheck(binary, os.path.join(data_dir, fixture))

    rng = np.random.default_rng(20261211)
    work = tempfile.mkdtemp(prefix="tarnvik-generated-")
    try:
        int32 = rng.integers(-2**31, 2**31, size=(30, 257), dtype=np.int64).astype(np.int32)
        int32[:, :8] = [0, 1, -1, 2**24 + 1, 2**24 + 3, -(2**31), 2**31 - 1, 16777215]
        path = os.path.join(work, "int32.sgy")
        write_integer_file(path, 2, int32)
        crosscheck(binary, path, data_type=2, ssn=70)

        int16 = rng.integers(-2**15, 2**15, size=(25, 301), dtype=np.int64).astype(np.int16)
        path = os.path.join(work, "int16.sgy")
        write_integer_file(path, 3, int16)
        crosscheck(binary, path, data_type=0)

        floats = (rng.standard_normal((20, 500)) * 10.0 ** rng.integers(-6, 7, (20, 1)))
        path = os.path.join(work, "ibm.sgy")
        write_ibm_file(path, floats.astype(np.float32))
        crosscheck(binary, path, data_type=4)
    finally:
        shutil.rmtree(work)

    if failures:
        print(f"{len(failures)} failed")
        sys.exit(1)
    print("all traces agree with segyio")


if __name__ == "__main__":
    main()
