#!/usr/bin/env python3
"""Converts real and generated SEG-Y files with tarnvik and checks every
output trace, header words and samples, against python3-segyio's own
decoding of the input.

Usage: segyio_crosscheck.py TARNVIK DATA_DIR [TARNVIK_INSPECT]
With the inspection tool named, its summary and header table of every
converted file are checked against the file's traces as read here.
The environment variable TARNVIK_COMMAND, when set, is the command to run
instead (for instance the Windows build under Wine).
Exits 77 (skipped) when segyio is not installed, unless CI is set.
"""
import csv
import io
import os
import re
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


def signed(word):
    return word - 0x10000 if word & 0x8000 else word


# The header table's columns and the words they show.
TABLE_WORDS = {
    "data_type_code": (0, False), "channel_count": (1, False), "stacked_data_code": (2, False),
    "field_record_number": (5, True), "field_trace_number": (7, True), "cdp_number": (11, True),
    "cdp_trace_number": (13, True), "trace_type": (14, True), "vertical_sum_count": (15, True),
    "horizontal_stack_count": (16, True), "source_receiver_distance": (18, True),
    "distance_multiplier": (34, False), "delay_time": (54, True), "sample_count": (57, True),
    "sample_interval": (58, False), "end_of_record_flag": (87, False), "ssn": (91, True),
}


def check_inspection(inspect, path, name, traces):
    """The inspection tool's summary and table against the traces read here."""
    summary = subprocess.run([inspect, path], stdout=subprocess.PIPE, check=False)
    text = summary.stdout.decode()
    if summary.returncode != 0 or "No problems found.\n" not in text:
        fail(f"{name}: inspection ended with {summary.returncode}:\n{text}")
        return
    count = int(re.search(r"^Traces: +(\d+)$", text, re.M).group(1))
    if count != len(traces):
        fail(f"{name}: inspection counts {count} traces, not {len(traces)}")
    values = np.concatenate([s for _, s in traces]).astype(np.float64)
    shown = re.search(r"minimum (\S+), maximum (\S+), RMS (\S+)$", text, re.M)
    expected = (values.min(), values.max(), np.sqrt(np.mean(values * values)))
    for label, got, want in zip(("minimum", "maximum", "RMS"), shown.groups(), expected):
        if not np.isclose(float(got), want, rtol=1e-6, atol=0):
            fail(f"{name}: inspection shows {label} {got}, the samples give {want!r}")

    table = subprocess.run([inspect, "--headers", path], stdout=subprocess.PIPE, check=False)
    rows = list(csv.DictReader(io.StringIO(table.stdout.decode())))
    if table.returncode != 0 or len(rows) != len(traces):
        fail(f"{name}: header table of {len(rows)} rows, status {table.returncode}")
        return
    offset = 0
    for i, (row, (words, samples)) in enumerate(zip(rows, traces)):
        expected_row = {"trace": i + 1, "byte_offset": offset, "header_marker": f"0x{words[59]:04X}"}
        for column, (word, is_signed) in TABLE_WORDS.items():
            expected_row[column] = signed(words[word]) if is_signed else words[word]
        for column, want in expected_row.items():
            if row[column] != str(want):
                fail(f"{name} trace {i + 1}: {column} is {row[column]}, expected {want}")
        if words[34] and not np.isclose(float(row["distance"]), signed(words[18]) / words[34]):
            fail(f"{name} trace {i + 1}: distance {row['distance']}")
        offset += 240 + 4 * len(samples)


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
        if INSPECT:
            check_inspection(INSPECT, os.path.join(work, "out.varn"), name, traces)
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
    layout = segyio.spec()
    layout.format = 1
    layout.samples = list(range(values.shape[1]))
    layout.tracecount = values.shape[0]
    with segyio.create(path, layout) as f:
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


INSPECT = None


def main():
    global INSPECT
    binary, data_dir = os.path.abspath(sys.argv[1]), sys.argv[2]
    if len(sys.argv) > 3:
        INSPECT = os.path.abspath(sys.argv[3])
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
