#!/usr/bin/env python3
"""Installation benchmark: SETUP.EXE under Wine, each stage timed from inside it.

    install_bench.py [--build build/windows64] [--runs 5] [PRODUCT...]

Installs each product RUNS times from a media directory on the prefix's C:
(the robot clicks through the dialogs) and takes every time from the events
that stagelog.dll logs inside SETUP.EXE, so the robot's polling is in no
figure. Products: "sample" (the sample disk set), "empty" (one file, no icons)
and FILESxKB (e.g. 200x200: 200 files of 200 KB, one archive). Beside each
synthetic product it times, under the same Wine, `arc extract` and `arc test`
of its archive and a plain copy of the same files (benchrun copy: 8 KB
writes, the date, the close). A least-squares fit over the synthetic products
splits each way of writing into a fixed part, a part per file and a part per
MB. Prints medians with the spread (max - min) of the runs.
"""
import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import e2e  # noqa: E402  the harness's Wine prefix and robot

DEFAULT_PRODUCTS = ["sample", "empty", "50x1", "200x1", "10x1024", "200x200"]
# An even number of seconds: DOS times keep two-second steps.
STAMP = time.mktime((2003, 4, 5, 6, 7, 8, 0, 0, -1))


class Bench:
    def __init__(self, args, wine):
        self.args, self.wine = args, wine
        build = Path(args.build)
        self.setup = Path(args.setup) if args.setup else build / "SETUP.exe"
        self.robot = build / "tests/e2e/robot.exe"
        self.arc = build / "tools/arc/arc.exe"
        self.benchrun = build / "bench/install/benchrun.exe"
        native = ROOT / "build/native/tools/mkmedia/mkmedia"
        self.mkmedia = [str(native)] if native.exists() else \
            [str(e2e.WINE_RUN), str(build / "tools/mkmedia/mkmedia.exe")]
        self.sample = build / "samples/disks/DISK1"
        self.work = build / "bench/install/work"
        self.work.mkdir(parents=True, exist_ok=True)
        # The hook reaches the programs of its own desktop only: all of them
        # on the display's, none in a virtual desktop an older prefix set.
        wine.registry({f"Software\\Wine\\AppDefaults\\{exe}\\Explorer": None
                       for exe in ("SETUP.EXE", "robot.exe", "benchrun.exe")}, self.work)

    def host(self, winpath):
        return self.wine.drive_c / winpath[3:].replace("\\", "/")

    # --- products

    def product(self, name):
        """Lays out the media directory C:\\BENCH\\NAME\\MEDIA; returns
        (title, media, dest, files, bytes, archive or None)."""
        root = f"C:\\BENCH\\{name.upper()}"
        media, dest = root + "\\MEDIA", root + "\\DEST"
        shutil.rmtree(self.host(root), ignore_errors=True)
        if name == "sample":
            shutil.copytree(self.sample, self.host(media))
            shutil.copy(self.setup, self.host(media) / "SETUP.EXE")
            product = Path(self.args.build) / "samples/product"
            files = [p for p in product.rglob("*") if p.is_file() and p.parent != product]
            size = sum(p.stat().st_size for p in files)
            return "Sample Fonts", media, "C:\\SAMPLE", len(files), size, None
        count, kbytes = (1, 1) if name == "empty" else map(int, name.split("x"))
        title = f"Bench {name}"
        with tempfile.TemporaryDirectory() as tmp:
            product = Path(tmp) / "product"
            data = product / "DATA"
            data.mkdir(parents=True)
            rng = random.Random(count * 7919 + kbytes)
            # Half compressible, as fonts are: random letters of a small alphabet.
            sixteen = bytes(48 + b % 16 for b in range(256))
            for i in range(count):
                path = data / f"D{i:04d}.DAT"
                path.write_bytes(rng.randbytes(kbytes << 10).translate(sixteen))
                os.utime(path, (STAMP, STAMP))
            run_item = f"run the helper={media}\\TOUCH.EXE --touch {dest}\\TOUCHED.TXT,1"
            (product / "install.ini").write_text("\r\n".join([
                "[Install]", f"name={title}", "disclaimer=Installation benchmark",
                f"BaseDir={dest}", "DirDesc=Benchmark", "",
                "[Packages]", "Data=Benchmark data,DATA,?,?,FF1,0", "",
                "[RunItems]", run_item, ""]))
            out = Path(tmp) / "media"
            subprocess.run([*self.mkmedia, str(product), str(out), "--media", "cd",
                            "--setup", str(self.setup)], check=True, capture_output=True)
            shutil.copytree(out / "DISK1", self.host(media))
        shutil.copy(self.robot, self.host(media) / "TOUCH.EXE")
        archive = next(p.name for p in self.host(media).iterdir() if p.suffix.upper() == ".ARC")
        return title, media, dest, count, count * kbytes << 10, f"{media}\\{archive}"

    # --- one installation

    def install(self, title, media, dest, sample):
        shutil.rmtree(self.host(dest), ignore_errors=True)
        answer = "no" if sample else "yes"  # the sample's readme would stay open in Notepad
        script = self.work / "bench.robot"
        script.write_text(f"""
            window-with Presents
            mouse 200
            gone
            window {title} Installation Options
            enabled 109
            click 109
            gone
            timeout 300
            window {title}
            click {answer}
            gone
            window {title}
            text message Install Completed !
            click ok
            gone
            """.replace("\n            ", "\n"))
        log = self.work / "stages.log"
        log.unlink(missing_ok=True)
        session = robot_session(self)
        robot = e2e.Robot(session, script)
        setup = self.wine.start([self.benchrun, "setup", e2e.windows_path(log), f"{media}\\SETUP.EXE"],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 600
        while setup.poll() is None or robot.proc.poll() is None:
            if robot.proc.poll() not in (None, 0) or time.monotonic() > deadline:
                for proc in (setup, robot.proc):
                    if proc.poll() is None:
                        proc.kill()
                raise SystemExit("the robot failed:\n" + robot.log())
            time.sleep(0.05)
        if setup.returncode != 0:
            raise SystemExit("benchrun setup failed:\n" + setup.stdout.read().decode())
        return parse(log.read_text())

    # --- the plain ways of writing the same files

    def tools(self, archive, dest):
        """(arc extract, arc test, plain copy, program start) in seconds; the
        last is a console program that writes one file, as the run item does."""
        out_dir, copy_dir = dest + "\\ARC", dest + "\\COPY"
        for d in (out_dir, copy_dir):
            shutil.rmtree(self.host(d), ignore_errors=True)
            self.host(d).mkdir(parents=True)
        extract = self.timed(self.arc, "extract", archive, out_dir)
        test = self.timed(self.arc, "test", archive)
        copy = self.wine.output(self.benchrun, "copy", out_dir, copy_dir).split()
        start = self.timed(self.robot, "--touch", dest + "\\TOUCHED.TXT")
        return extract, test, int(copy[-1]) / 1e6, start

    def timed(self, *command):
        # The program's own output comes first.
        out = self.wine.output(self.benchrun, "time", *command).split()
        return int(out[-2]) / 1e6


def robot_session(bench):
    """What e2e.Robot needs of a session."""
    class Session:
        wine = bench.wine
        args = type("Args", (), {"robot": str(bench.robot)})

        @staticmethod
        def screenshot(name):
            raise OSError("no screenshots in the benchmark")
    return Session()


def parse(text):
    """The log's events: [(seconds, event, detail)]."""
    events = []
    for line in text.splitlines():
        us, _, rest = line.partition(" ")
        event, _, detail = rest.partition(" ")
        events.append((int(us) / 1e6, event, detail))
    return events


def stages(events):
    """The stage times of one run, in seconds."""
    def at(event, detail="", after=0.0):
        for t, e, d in events:
            if t >= after and e == event and d.startswith(detail):
                return t
        raise SystemExit(f"no event {event} {detail} after {after}:\n"
                         + "\n".join(f"{t:.6f} {e} {d}" for t, e, d in events))

    start = at("start")
    ok = at("dialog-end", "InstallOptions")
    opened = at("open", "ExtractStatusDlg")
    closed = at("close", "ExtractStatusDlg")
    # A font repair runs from its listing of the directory to the next archive
    # or the window's end.
    repair, current = 0.0, None
    for t, e, d in events:
        if not opened <= t <= closed:
            continue
        if e == "find" and current is None:
            current = t
        elif current is not None and (e == "close" or (e == "text" and d.startswith("201 "))):
            repair += t - current
            current = None
    icons = at("create", "StatusDlg")
    icons_end = at("focus", after=at("close", "StatusDlg"))
    question = at("message", "Do you want")
    answered = at("message-end", "Do you want")
    done = at("message", "Install Completed")
    return {
        "start→intro": at("open", "IntroBox") - start,
        "OK→extract": opened - ok,
        "extract": closed - opened - repair,
        "fonts": repair,
        "icons": icons_end - icons,
        "WIN.INI": question - icons_end,
        "run item": done - answered,
        "OK→question": question - ok,
        "OK→done": done - ok - (answered - question),
    }


def fit(rows):
    """Least squares of t = a + b * files + c * MB over (files, MB, t): (a, b, c)."""
    xs = [(1.0, f, m) for f, m, _ in rows]
    ys = [t for _, _, t in rows]
    ata = [[sum(x[i] * x[j] for x in xs) for j in range(3)] for i in range(3)]
    aty = [sum(x[i] * y for x, y in zip(xs, ys)) for i in range(3)]
    # Gauss-Jordan on the 3 x 3 normal equations.
    m = [row + [v] for row, v in zip(ata, aty)]
    for i in range(3):
        p = max(range(i, 3), key=lambda r: abs(m[r][i]))
        m[i], m[p] = m[p], m[i]
        for r in range(3):
            if r != i and m[i][i]:
                f = m[r][i] / m[i][i]
                m[r] = [a - f * b for a, b in zip(m[r], m[i])]
    return tuple(m[i][3] / m[i][i] if m[i][i] else 0.0 for i in range(3))


def cell(values):
    med = statistics.median(values)
    return f"{med:6.3f} ±{(max(values) - min(values)) / 2:5.3f}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default=str(ROOT / "build/windows64"))
    parser.add_argument("--setup", help="the SETUP.EXE to time (default: the build's)")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("products", nargs="*", default=DEFAULT_PRODUCTS)
    args = parser.parse_args()
    # A prefix of its own: what the installations leave (C:\\SAMPLE, WIN.INI,
    # the program group) stays out of the tests' prefix.
    os.environ.setdefault("SETUP_WINE_DIR", str(Path(args.build) / "bench/install/wine"))
    with e2e.Wine() as wine:
        bench = Bench(args, wine)
        results, tools, sizes = {}, {}, {}
        for name in args.products:
            title, media, dest, files, size, archive = bench.product(name)
            sizes[name] = (files, size / (1 << 20))
            # One run first that no figure takes: the caches of Wine and the host.
            bench.install(title, media, dest, name == "sample")
            results[name] = [stages(bench.install(title, media, dest, name == "sample"))
                             for _ in range(args.runs)]
            if archive:
                tools[name] = [bench.tools(archive, dest) for _ in range(args.runs)]
            print(f"# {name}: done", file=sys.stderr)

    names = list(results)
    columns = list(results[names[0]][0])
    print(f"Stage times in seconds under wine64: median of {args.runs} runs ± half the spread")
    print(f"{'product':<10} {'files':>5} {'MB':>6}  " + "  ".join(f"{c:>13}" for c in columns))
    for name in names:
        files, mb = sizes[name]
        row = [cell([r[c] for r in results[name]]) for c in columns]
        print(f"{name:<10} {files:>5} {mb:>6.2f}  " + "  ".join(f"{v:>13}" for v in row))

    print()
    print("The same files written other ways, in seconds: arc's figures include its"
          " start-up, as does\nprogram start (a console program that writes one file);"
          " the plain copy is timed inside")
    print(f"{'product':<10} {'files':>5} {'MB':>6}  {'SETUP extract':>13}  {'arc extract':>13}"
          f"  {'arc test':>13}  {'plain copy':>13}  {'program start':>13}")
    ways = {"SETUP extract": [], "arc extract": [], "arc test": [], "plain copy": []}
    for name in tools:
        files, mb = sizes[name]
        setup = [r["extract"] for r in results[name]]
        extract, test, copy, start = zip(*tools[name])
        print(f"{name:<10} {files:>5} {mb:>6.2f}  {cell(setup):>13}  {cell(extract):>13}"
              f"  {cell(test):>13}  {cell(copy):>13}  {cell(start):>13}")
        for way, values in zip(ways, (setup, extract, test, copy)):
            ways[way].append((files, mb, statistics.median(values)))
    if len(tools) >= 3:
        print()
        print("Least-squares fit over the synthetic products: fixed + per file + per MB")
        for way, rows in ways.items():
            a, b, c = fit(rows)
            rate = f"{1 / c:8.1f} MB/s" if c > 0 else "       -"
            print(f"{way:<14} {a * 1000:8.1f} ms  {b * 1000:7.2f} ms/file  {c * 1000:7.1f} ms/MB"
                  f"  ({rate})")


if __name__ == "__main__":
    main()
