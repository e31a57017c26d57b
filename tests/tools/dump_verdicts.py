#!/usr/bin/env python3
"""sivarta-data dump over files the chart refuses or accepts: each case
writes a day (info file beside data file, as under sisefile/) and expects
the lines that say why, in the readers' own words. Argument: sivarta-data."""
import os
import struct
import subprocess
import sys
import tempfile

TOOL = sys.argv[1]
DATE = 20240105


def info(code=b"005930", date=DATE, current=70850):
    head = struct.pack("<ii", date, 153000) + code.ljust(6, b"\0")[:6] + b"Day".ljust(31, b"\0") + bytes(11)
    return head + struct.pack("<6i", 71000, 72500, 70500, current, 1234567, -150) + bytes(48)


def ticks(*times, date=DATE):
    return b"".join(struct.pack("<7i", date, t, 100, 110, 90, 105, 7) for t in times)


# name, info bytes (None: no info file), data bytes (None: dump the info file),
# --code, the lines the dump must print.
CASES = [
    ("info accepted", info(), None, "005930", ["accepted for 005930"]),
    ("five-character code", info(b"05930"), None, "005930",
     ["accepted for 005930 (its five-character code is read with a leading '0')"]),
    ("info too short", info()[:100], None, "005930",
     ["not an info record: info file refused: 100 bytes, not 128",
      "not accepted for 005930: info file refused: 100 bytes, not 128"]),
    ("info too long", info() + b"x", None, "005930",
     ["not accepted for 005930: info file refused: more than 128 bytes"]),
    ("info of another code", info(), None, "000660",
     ["not accepted for 000660: info file refused: it is for code '005930', not 000660"]),
    ("day accepted", info(), ticks(90000, 90100, 90200), "005930",
     ["info INFO: accepted, date 20240105", "date test: kept (data date 20240105, info date 20240105)",
      "bars: 4 (the last one built from the info file)"]),
    ("first record not the opening one", info(), ticks(90100, 90200), "005930",
     ["bars: 2 (the last one built from the info file)"]),
    ("data without a whole record", info(), ticks(90000)[:20], "005930",
     ["bars: 0 (data file refused: no whole record)"]),
    ("data of another date", info(), ticks(90000, date=20230101), "005930",
     ["date test: discarded (data date 20230101, info date 20240105)",
      "bars: 0 (data file refused: its date 20230101 does not go with the info date 20240105)"]),
    ("info of another code leaves the date zero", info(), ticks(90000), "000660",
     ["info INFO: not accepted (info file refused: it is for code '005930', not 000660), date 0",
      "date test: discarded (data date 20240105, info date 0)"]),
    ("no info file", None, ticks(90000, 90100), "005930",
     ["no info file at INFO: the info stays all zero, date 0",
      "bars: 0 (data file refused: its date 20240105 does not go with the info date 0)"]),
]


def run(case, root):
    name, info_bytes, data_bytes, code, expected = case
    day = os.path.join(root, name.replace(" ", "_"))
    os.makedirs(os.path.join(day, "info"))
    os.makedirs(os.path.join(day, "Date"))
    info_path = os.path.join(day, "info", "005930.dat")
    data_path = os.path.join(day, "Date", "005930.dat")
    if info_bytes is not None:
        with open(info_path, "wb") as f:
            f.write(info_bytes)
    if data_bytes is not None:
        with open(data_path, "wb") as f:
            f.write(data_bytes)
    target = info_path if data_bytes is None else data_path
    out = subprocess.run([TOOL, "dump", target, "--code", code], capture_output=True, text=True)
    lines = out.stdout.splitlines()
    beside = os.path.join(day, "Date", "..", "info", "005930.dat")
    missing = [e for e in expected if e.replace("INFO", beside) not in lines]
    if out.returncode != 0 or missing:
        print(f"FAIL {name}: exit {out.returncode}, missing {missing}\n{out.stdout}{out.stderr}")
        return False
    print(f"ok   {name}")
    return True


def main():
    with tempfile.TemporaryDirectory() as root:
        results = [run(case, root) for case in CASES]
    failed = results.count(False)
    print(f"{len(results) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
