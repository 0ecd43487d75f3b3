#!/usr/bin/env python3
"""End-to-end scenarios: SETUP.EXE under Wine, driven by the robot.

    e2e.py --setup SETUP.exe --robot robot.exe [--work DIR] [--manual] SCENARIO...

Each scenario is a file scenarios/NAME.py with a function run(s) that gets a
Session: it writes the media directory, says what the robot does, runs
SETUP.EXE and checks the Wine drive. See README.md beside this file.
"""
import argparse
import fnmatch
import hashlib
import importlib.machinery
import json
import os
import shutil
import signal
import struct
import subprocess
import sys
import textwrap
import threading
import time
import types
from pathlib import Path

import diskset

# Scenarios are loaded as modules: no compiled copies in the source tree.
sys.dont_write_bytecode = True

HERE = Path(__file__).resolve().parent
WINE_RUN = HERE.parent.parent / "scripts" / "wine-run"
# SETUP.EXE and the robot run on the display itself, with no Wine virtual
# desktop: a 32-bit program in a prefix made by wine64 ignores a desktop set
# for it alone. On scripts/wine-run's Xvfb no window manager runs and the
# windows are unmanaged, so Wine places and maximises them itself.
# Bounds, in seconds, of what the driver waits for: a screenshot, a tool,
# a registry import.
SHOT_SECONDS, TOOL_SECONDS, REGISTRY_SECONDS = 30, 120, 60
BLUE = (0, 64, 192)
# The program's system directory as the prefix holds it: a 32-bit program's
# C:\windows\system32 is the prefix's syswow64. The other side is Wine's own.
SYSTEM_DIRS = {32: "C:\\windows\\syswow64", 64: "C:\\windows\\system32"}
# What snapshots leave out: Wine's own folders, which Wine keeps up to date
# by itself, and the system directory of the other bitness, which the program
# does not reach (its own is watched, as are WIN.INI, the Fonts folder and
# the rest of the Windows directory).
WINE_OWN = [
    "C:\\users", "C:\\ProgramData", "C:\\windows\\winsxs",
    "C:\\windows\\temp", "C:\\windows\\logs", "C:\\windows\\inf", "C:\\windows\\Installer",
]
# ...but inside them what the program makes: its program groups.
WATCHED = ["C:\\users\\*\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"]
# Exit code of a scenario that cannot run on this machine (CTest: skipped).
SKIPPED = 77


class Failed(Exception):
    pass


class Skipped(Exception):
    pass


class Deadline(Failed):
    pass


def program_bits(path):
    """32 or 64: the machine of a PE file's header."""
    data = Path(path).read_bytes()[:4096]
    offset, = struct.unpack_from("<I", data, 60)
    machine, = struct.unpack_from("<H", data, offset + 4)
    return 64 if machine == 0x8664 else 32


def windows_path(path):
    """A host path as Wine's drive Z: names it."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


class Wine:
    """The project's Wine prefix, reached through scripts/wine-run. Starts a
    display and a warm server when none runs, and ends what it started."""

    def __init__(self):
        self.started = False
        self.env = dict(os.environ)

    def __enter__(self):
        if not os.environ.get("DISPLAY") and not self._server_running():
            subprocess.run([WINE_RUN, "--start"], check=True, timeout=TOOL_SECONDS)
            self.started = True
        out = subprocess.run([WINE_RUN, "--env"], check=True, capture_output=True, text=True,
                             timeout=TOOL_SECONDS)
        for word in out.stdout.replace("export ", "").split():
            key, _, value = word.partition("=")
            self.env[key] = value.strip("'")
        self.drive_c = Path(self.env["WINEPREFIX"]) / "drive_c"
        return self

    def __exit__(self, *exc):
        if self.started:
            subprocess.run([WINE_RUN, "--stop"], timeout=TOOL_SECONDS)

    def _server_running(self):
        wine_dir = os.environ.get("SETUP_WINE_DIR", str(HERE.parent.parent / "build/windows/wine"))
        state = Path(wine_dir) / "state"
        if not state.exists():
            return False
        values = dict(line.split("=", 1) for line in state.read_text().split() if "=" in line)
        try:
            os.kill(int(values.get("XVFB_PID") or 0), 0)
            return bool(values.get("XVFB_PID"))
        except (OSError, ValueError):
            return False

    def start(self, args, **kwargs):
        return subprocess.Popen([str(WINE_RUN), *args], env=self.env, start_new_session=True,
                                **kwargs)

    def output(self, *args):
        """Runs a program in the prefix to its end; its standard output, or
        Failed with everything it said when its exit code is not 0 or it
        runs past TOOL_SECONDS."""
        command = " ".join(map(str, args))
        try:
            done = subprocess.run([str(WINE_RUN), *map(str, args)], env=self.env,
                                  capture_output=True, text=True, timeout=TOOL_SECONDS)
        except subprocess.TimeoutExpired as late:
            said = (late.stdout or b"") + (late.stderr or b"")
            raise Failed(f"{command}: still ran after {TOOL_SECONDS} s\n"
                         + said.decode(errors="replace")) from None
        if done.returncode != 0:
            raise Failed(f"{command}: exit code {done.returncode}\n" + done.stdout + done.stderr)
        return done.stdout

    def registry(self, keys, work):
        """Writes {key: {name: value}} under HKEY_CURRENT_USER in one go; a
        key whose values are None is deleted with everything below it."""
        lines = ["REGEDIT4", ""]
        for key, values in keys.items():
            if values is None:
                lines += [f"[-HKEY_CURRENT_USER\\{key}]", ""]
                continue
            lines.append(f"[HKEY_CURRENT_USER\\{key}]")
            lines += [f'"{name}"="{value}"' for name, value in values.items()]
            lines.append("")
        reg = Path(work) / "settings.reg"
        reg.write_text("\r\n".join(lines))
        subprocess.run([WINE_RUN, "regedit", "/S", windows_path(reg)], env=self.env, check=True,
                       timeout=REGISTRY_SECONDS)

    def screenshot(self, path):
        """The whole screen. import is given the root window only: asked for a
        window that does not exist, it waits for a mouse click."""
        try:
            taken = subprocess.run(["import", "-window", "root", str(path)], env=self.env,
                                   capture_output=True, text=True, timeout=SHOT_SECONDS)
        except subprocess.TimeoutExpired:
            raise OSError(f"import took more than {SHOT_SECONDS} s for {path}") from None
        if taken.returncode != 0:
            raise OSError(f"import could not take {path}: {taken.stderr.strip()}")


class Session:
    """What a scenario works with. Paths in Windows syntax are on Wine's
    drive C:; the scenario's own tree is C:\\E2E\\NAME, with MEDIA (where
    SETUP.EXE runs from) and DEST (the usual destination)."""

    def __init__(self, wine, name, args):
        self.wine, self.name, self.args = wine, name, args
        self.root = f"C:\\E2E\\{name.upper()}"
        self.media_dir, self.dest = self.root + "\\MEDIA", self.root + "\\DEST"
        self.exe = "SETUP.EXE"
        # True: run the SETUP.EXE the media directory holds (as mkmedia wrote
        # it, with a product's logo and credits), not the one built.
        self.media_setup = False
        self.bits = program_bits(args.setup)
        self.system = SYSTEM_DIRS[self.bits]
        self.wine_own = WINE_OWN + [SYSTEM_DIRS[96 - self.bits]]
        self.settings = {}
        self.robot_text = ""
        self.drives = {"C": wine.drive_c}
        self.cleanups = []
        self.hashes = Hashes(Path(args.work) / "hashes.json")
        self.work = Path(args.work) / name
        self.shots = Path(args.work) / "shots" / name
        for path in (self.host(self.root), self.work, self.shots):
            shutil.rmtree(path, ignore_errors=True)
        # A mount left by a run that was killed keeps its directory.
        self.work.mkdir(parents=True, exist_ok=True)
        self.shots.mkdir(parents=True)
        self.host(self.media_dir).mkdir(parents=True)
        self.shot_count = 0
        self.started = None
        self.before = self.after = None
        self.robot_lines = []
        self.last_robot = None

    # --- the Wine drive

    def tool(self, name, *args):
        """Runs one of the vendor's tools (arc, ff1, mkmedia, inicheck) under Wine;
        returns its standard output."""
        return self.wine.output(getattr(self.args, name), *args)

    def host(self, winpath):
        """The host path of a path on C: or a drive the scenario mapped,
        matching existing names without regard to case."""
        path = self.drives.get(winpath[:1].upper())
        if winpath[1:2] != ":" or path is None:
            raise Failed(f"not on a known drive: {winpath}")
        for part in filter(None, winpath[2:].split("\\")):
            match = None
            if path.is_dir():
                match = next((p for p in path.iterdir() if p.name.lower() == part.lower()), None)
            path = match or path / part
        return path

    def exists(self, winpath):
        return self.host(winpath).exists()

    def read(self, winpath):
        return self.host(winpath).read_bytes()

    def snapshot(self):
        """Every directory and file of drive C: and of the drives the
        scenario mapped, but Wine's own folders (WINE_OWN) outside the
        program's targets in them (WATCHED): {Windows path: ("dir",) or
        (size, SHA-1 of the bytes, last-write time in ns, read-only)}."""
        taken = {}
        for letter, root in self.drives.items():
            skip = {str(self.host(p)) for p in self.wine_own if p[0] == letter}
            self._walk(letter, root, root, skip, taken)
            for pattern in (w for w in WATCHED if w[0] == letter):
                for start in root.glob(pattern[3:].replace("\\", "/")):
                    self._walk(letter, root, start, set(), taken)
        self.hashes.save()
        return taken

    def _walk(self, letter, root, start, skip, taken):
        for folder, dirs, files in os.walk(start):
            dirs[:] = [d for d in dirs if os.path.join(folder, d) not in skip]
            rel = os.path.relpath(folder, root)
            name = letter + ":" + ("" if rel == "." else "\\" + rel.replace("/", "\\"))
            for d in dirs:
                taken[f"{name}\\{d}"] = ("dir",)
            for f in files:
                path = os.path.join(folder, f)
                st = os.lstat(path)
                taken[f"{name}\\{f}"] = (st.st_size, self.hashes.of(path, st), st.st_mtime_ns,
                                          not st.st_mode & 0o222)

    def expect_changes(self, allowed, before=None, after=None):
        """Fails unless every path that differs between two snapshots (by
        default those of the last run(watch=True)): created, removed, other
        bytes, size, date or read-only flag, is allowed: it matches one of
        the Windows paths allowed (* and ? wildcards, case aside), or it is a
        directory on the way to one. Returns the changes, {path: (before or
        None, after or None)}."""
        before = self.before if before is None else before
        after = self.after if after is None else after
        changes = {p: (before.get(p), after.get(p)) for p in set(before) | set(after)
                   if before.get(p) != after.get(p)}
        patterns = [a.lower() for a in allowed]

        def fits(path, entry):
            low = path.lower()
            return (any(fnmatch.fnmatchcase(low, p) for p in patterns)
                    or (entry == ("dir",) and any(p.startswith(low + "\\") for p in patterns)))

        wrong = sorted(p for p, (was, now) in changes.items() if not fits(p, now or was))
        self.expect(not wrong, "the run changed what it was not meant to:\n" + "\n".join(
            f"  {p}: {describe(changes[p][0])} -> {describe(changes[p][1])}" for p in wrong))
        return changes

    # --- drives

    def map_drive(self, letter, host_dir):
        """Maps a Wine drive letter onto a host directory until the scenario
        ends: a link in the prefix's dosdevices, which Wine reads as it goes."""
        link = Path(self.wine.env["WINEPREFIX"]) / "dosdevices" / f"{letter.lower()}:"
        if link.is_symlink():
            link.unlink()
        link.symlink_to(Path(host_dir).resolve())
        self.drives[letter.upper()] = Path(host_dir)
        self.cleanups.append(lambda: link.unlink(missing_ok=True))

    def small_drive(self, letter, kbytes):
        """A fresh file system of kbytes (a tmpfs) mapped as the drive letter;
        Skipped when this machine does not let the test mount one."""
        mount = self.work / f"drive_{letter.lower()}"
        if os.path.ismount(mount):
            subprocess.run(["umount", str(mount)], check=False)
        mount.mkdir(exist_ok=True)
        done = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={kbytes}k,mode=0755",
                               "e2e-small", str(mount)], capture_output=True, text=True)
        if done.returncode != 0:
            raise Skipped(f"cannot mount a small file system here: {done.stderr.strip()}")
        self.cleanups.append(lambda: subprocess.run(["umount", str(mount)], check=False))
        self.map_drive(letter, mount)
        return mount

    def close(self):
        for cleanup in reversed(self.cleanups):
            cleanup()
        self.cleanups = []

    # --- preparing a run

    def media(self, name, content):
        """A file of the media directory; text is written with CRLF line ends."""
        data = content if isinstance(content, bytes) else \
            textwrap.dedent(content).lstrip("\n").replace("\n", "\r\n").encode("latin-1")
        self.host(self.media_dir + "\\" + name).write_bytes(data)

    def script(self, text):
        self.media("install.ini", text)

    def app_setting(self, subkey, name, value):
        """A Wine setting for this scenario's SETUP.EXE alone (HKCU\\Software\\
        Wine\\AppDefaults\\EXE\\subkey), e.g. ("", "Version", "win30"). The
        program then runs under its own file name, so no other run sees it."""
        self.exe = f"S_{self.name.upper()}.EXE"
        key = f"Software\\Wine\\AppDefaults\\{self.exe}" + (f"\\{subkey}" if subkey else "")
        self.settings.setdefault(key, {})[name] = value

    def robot(self, text):
        self.robot_text = textwrap.dedent(text)

    @staticmethod
    def past_options(title="Sample Fonts"):
        """Robot steps of a user who clicks the intro box away and takes the
        Installation Options as they stand."""
        return f"""
            window-with Presents
            mouse 200
            gone
            window {title} Installation Options
            enabled 109
            click 109
            gone
            """

    # --- running

    def run(self, timeout=60, watch=False):
        """Runs SETUP.EXE from the media directory beside the robot; returns its
        exit code. With watch, takes a snapshot right before SETUP.EXE starts
        and one when it and the robot have ended (s.before, s.after)."""
        if not self.media_setup:
            shutil.copy(self.args.setup, self.host(self.media_dir) / self.exe)
        # A prefix of an older harness may still send these programs into a
        # virtual desktop of their own.
        keys = {f"Software\\Wine\\AppDefaults\\{exe}\\Explorer": None
                for exe in (self.exe, Path(self.args.robot).name)}
        keys.update(self.settings)
        self.wine.registry(keys, self.work)
        self.before = self.snapshot() if watch else None
        robot = None
        if not self.args.manual:
            script = self.work / "scenario.robot"
            # The robot reads and echoes its steps in the prefix's ANSI code
            # page, as it reads the texts of windows.
            script.write_text(self.robot_text, encoding="cp1252")
            robot = Robot(self, script)
            self.last_robot = robot
            self.robot_lines = robot.timed
        self.started = time.monotonic()
        setup = self.wine.start([f"{self.media_dir}\\{self.exe}"])
        try:
            code = self._wait(setup, robot, timeout)
        finally:
            for proc in (setup, robot and robot.proc):
                if proc and proc.poll() is None:
                    os.killpg(proc.pid, signal.SIGKILL)
        self.after = self.snapshot() if watch else None
        return code

    def _wait(self, setup, robot, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if robot and robot.proc.poll() not in (None, 0):
                raise Failed("the robot failed:\n" + robot.log() + self.evidence("failure"))
            if setup.poll() is not None and (not robot or robot.proc.poll() is not None):
                return setup.returncode
            time.sleep(0.05)
        raise Failed(f"SETUP.EXE or the robot still ran after {timeout} s:\n"
                     + (robot.log() if robot else "") + self.evidence("timeout"))

    def screenshot(self, name):
        self.shot_count += 1
        path = self.shots / f"{self.shot_count:02d}-{name}.png"
        self.wine.screenshot(path)
        return path

    def evidence(self, name):
        """A screenshot of how the screen looks now, for a failure's report:
        a line that names it, or says why there is none."""
        try:
            return f"\nscreenshot: {self.screenshot(name)}"
        except OSError as error:
            return f"\nno screenshot: {error}"

    # --- checking

    def expect(self, condition, message):
        if not condition:
            raise Failed(message)

    def elapsed(self, step):
        """Seconds from the start of the last SETUP.EXE run until the robot
        began its first step that contains the text step (so the steps
        before it had passed)."""
        for when, line in self.robot_lines:
            if step in line:
                return when - self.started
        raise Failed(f"the robot took no step {step}")

    def shot(self, name):
        """The host path of the screenshot the robot asked for by name."""
        found = sorted(self.shots.glob(f"*-{name}.png"))
        self.expect(found, f"no screenshot {name}")
        return found[-1]

    def pixel(self, shot, x, y):
        out = subprocess.run(["convert", str(shot), "-format", f"%[pixel:p{{{x},{y}}}]", "info:"],
                             check=True, capture_output=True, text=True).stdout
        return tuple(int(v) for v in out[out.index("(") + 1:out.index(")")].split(","))

    def colours(self, shot):
        """How many pixels of each colour (r, g, b) the screenshot holds."""
        out = subprocess.run(["convert", str(shot), "-format", "%c", "histogram:info:-"],
                             check=True, capture_output=True, text=True).stdout
        counts = {}
        for line in out.splitlines():
            count, _, rest = line.partition(":")
            rgb = rest[rest.index("(") + 1:rest.index(")")].split(",")
            counts[tuple(int(float(v)) for v in rgb[:3])] = int(count)
        return counts

    def expect_backdrop(self, shot, width=1024, height=768):
        """The blue backdrop fills the screen to its edges: no caption or frame shows."""
        points = [(0, 0), (width // 2, 0), (width - 1, 0), (0, height // 2), (width - 1, height // 2),
                  (0, height - 1), (width // 2, height - 1), (width - 1, height - 1), (40, 40)]
        for x, y in points:
            colour = self.pixel(shot, x, y)
            self.expect(colour == BLUE, f"{shot.name}: pixel {x},{y} is {colour}, not the blue backdrop")


class Hashes:
    """SHA-1 of files, kept between runs in a file and reused while a file's
    inode, size, last-write and change times stay the same: any write
    changes the change time, which no program can set back."""

    def __init__(self, path):
        self.path = path
        try:
            self.known = json.loads(path.read_text())
        except (OSError, ValueError):
            self.known = {}
        self.dirty = False

    def of(self, path, st):
        key = f"{st.st_ino}:{st.st_size}:{st.st_mtime_ns}:{st.st_ctime_ns}"
        known = self.known.get(path)
        if known and known[0] == key:
            return known[1]
        digest = hashlib.sha1()
        with open(path, "rb") as f:
            for block in iter(lambda: f.read(1 << 20), b""):
                digest.update(block)
        self.known[path] = (key, digest.hexdigest())
        self.dirty = True
        return self.known[path][1]

    def save(self):
        if self.dirty:
            self.path.write_text(json.dumps(self.known))
            self.dirty = False


def describe(entry):
    if entry is None:
        return "absent"
    if entry == ("dir",):
        return "directory"
    size, digest, mtime, read_only = entry
    when = time.strftime("%Y-%m-%d %H:%M:%S", time.localtime(mtime / 1e9))
    return f"{size} bytes {digest[:8]} {when}" + (" read-only" if read_only else "")


class Robot:
    """robot.exe on a scenario, its output read line by line; a SHOT line is
    answered once the driver has taken the screenshot."""

    def __init__(self, session, script):
        self.session, self.lines = session, []
        self.timed = []  # (arrival time, line)
        self.proc = session.wine.start([str(session.args.robot), windows_path(script)],
                                       stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                       stderr=subprocess.STDOUT, text=True, bufsize=1,
                                       encoding="cp1252", errors="replace")
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            line = line.rstrip("\r\n")
            self.lines.append(line)
            self.timed.append((time.monotonic(), line))
            if line.startswith("SHOT "):
                self._answer(line[5:].strip())

    def _answer(self, name):
        try:
            self.session.screenshot(name)
            answer = "ok"
        except (OSError, subprocess.CalledProcessError) as error:
            self.lines.append(f"driver: no screenshot {name}: {error}")
            answer = "no"
        try:
            self.proc.stdin.write(answer + "\n")
            self.proc.stdin.flush()
        except OSError:
            pass  # the robot has ended

    def log(self):
        return "\n".join(self.lines)


def load(name, folder):
    path = Path(folder) / f"{name}.py"
    if not path.exists():
        raise SystemExit(f"e2e: no scenario {name} ({path})")
    module = types.ModuleType(f"scenario_{name}")
    module.__file__ = str(path)
    importlib.machinery.SourceFileLoader(module.__name__, str(path)).exec_module(module)
    return module


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--setup", required=True, help="SETUP.EXE as built")
    parser.add_argument("--ship-setup",
                        help="the SETUP.EXE the demo's disk set carries (default: --setup)")
    parser.add_argument("--robot", required=True, help="robot.exe as built")
    parser.add_argument("--work", default="build/windows/tests/e2e", help="screenshots and logs")
    parser.add_argument("--manual", action="store_true", help="no robot: you click")
    parser.add_argument("--arc", help="arc.exe as built (default: beside SETUP.EXE)")
    parser.add_argument("--ff1", help="ff1.exe as built (default: beside SETUP.EXE)")
    parser.add_argument("--mkmedia", help="mkmedia.exe as built (default: beside SETUP.EXE)")
    parser.add_argument("--inicheck", help="inicheck.exe as built (default: beside SETUP.EXE)")
    parser.add_argument("--keep", action="store_true",
                        help="leave what the demo installed in place")
    parser.add_argument("--deadline", type=int, default=0,
                        help="seconds a scenario may take before it fails with what it saw")
    parser.add_argument("--scenarios-dir", default=HERE / "scenarios",
                        help="where the scenarios are (default: scenarios/ beside the driver)")
    parser.add_argument("scenarios", nargs="+")
    args = parser.parse_args()
    for tool in ("arc", "ff1", "mkmedia", "inicheck"):
        if not getattr(args, tool):
            setattr(args, tool, str(Path(args.setup).parent / "tools" / tool / f"{tool}.exe"))
    failed = skipped = 0
    diskset.SYSTEM = SYSTEM_DIRS[program_bits(args.setup)]
    with Wine() as wine:
        for name in args.scenarios:
            start = time.monotonic()
            session = Session(wine, name, args)

            # The screen is taken before the programs are ended on the way out.
            def past_deadline(signum, frame, session=session):
                raise Deadline(session.evidence("deadline"))

            signal.signal(signal.SIGALRM, past_deadline)
            try:
                signal.alarm(args.deadline)
                load(name, args.scenarios_dir).run(session)
                signal.alarm(0)
                print(f"e2e {name}: passed in {time.monotonic() - start:.1f} s")
            except Deadline as shot:
                failed += 1
                robot = session.last_robot
                print(f"e2e {name}: FAILED: still running after its {args.deadline} s\n"
                      + (robot.log() if robot else "no robot ran") + str(shot))
            except Failed as failure:
                signal.alarm(0)
                failed += 1
                print(f"e2e {name}: FAILED after {time.monotonic() - start:.1f} s\n{failure}")
            except Skipped as reason:
                signal.alarm(0)
                skipped += 1
                print(f"e2e {name}: SKIPPED: {reason}")
            finally:
                signal.alarm(0)
                session.close()
    sys.exit(1 if failed else SKIPPED if skipped else 0)


if __name__ == "__main__":
    main()
