#!/usr/bin/env python3
"""The driver never waits without end. Scenarios of selftest/ that go wrong
on purpose must fail within their bound, saying what the robot did and
naming a screenshot of the screen, and leave no program of theirs running.

    harness_test.py --setup SETUP.exe --robot robot.exe --work DIR
"""
import argparse
import os
import re
import struct
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent

# scenario, driver deadline, what the report must say, seconds it may take
CASES = [
    ("never_window", 60, "the robot failed:", 40),
    ("never_ends", 25, "FAILED: still running after its 25 s", 25 + 20),
]


def png_size(path):
    data = Path(path).read_bytes()[:24]
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    return struct.unpack(">II", data[16:24])


def corner(path):
    """The colour of a picture's top left pixel."""
    return subprocess.run(["convert", str(path), "-format", "%[pixel:p{0,0}]", "info:"],
                          capture_output=True, text=True, timeout=30).stdout.strip()


def programs_left(prefix, name):
    """Processes of the Wine prefix whose command line names the program."""
    left = []
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            environ = open(f"/proc/{entry}/environ", "rb").read().split(b"\0")
            cmdline = open(f"/proc/{entry}/cmdline", "rb").read().replace(b"\0", b" ")
        except OSError:
            continue
        if f"WINEPREFIX={prefix}".encode() in environ and name.encode() in cmdline.upper():
            left.append(cmdline.decode("latin-1"))
    return left


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--setup", required=True)
    parser.add_argument("--robot", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    problems = []
    for name, deadline, said, bound in CASES:
        start = time.monotonic()
        done = subprocess.run(
            [sys.executable, str(HERE / "e2e.py"), "--setup", args.setup, "--robot", args.robot,
             "--work", args.work, "--deadline", str(deadline),
             "--scenarios-dir", str(HERE / "selftest"), name],
            capture_output=True, text=True, timeout=bound + 60)
        took = time.monotonic() - start
        report = done.stdout + done.stderr
        print(f"--- {name}: exit code {done.returncode} after {took:.1f} s\n{report}")
        if done.returncode != 1:
            problems.append(f"{name}: exit code {done.returncode}, not 1")
        if took > bound:
            problems.append(f"{name}: took {took:.1f} s, more than {bound} s")
        if said not in report:
            problems.append(f"{name}: the report does not say {said!r}")
        if not re.search(r"^robot: \d+: window No Such Window$", report, re.M):
            problems.append(f"{name}: the report holds no robot log")
        shot = re.search(r"^screenshot: (.+\.png)$", report, re.M)
        if not shot:
            problems.append(f"{name}: the report names no screenshot")
        elif png_size(shot.group(1)) != (1024, 768):
            problems.append(f"{name}: {shot.group(1)} is no 1024 x 768 screenshot")
        elif corner(shot.group(1)) != "srgb(0,64,192)":
            problems.append(f"{name}: {shot.group(1)} was taken without SETUP.EXE's backdrop")
        prefix = os.environ.get("SETUP_WINE_DIR", "") + "/prefix"
        left = programs_left(prefix, "SETUP.EXE") + programs_left(prefix, "ROBOT.EXE")
        if left:
            problems.append(f"{name}: still running afterwards: {left}")
    print("\n".join(problems) or "the harness reported every failure within its bound")
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
