"""Shell link files (.lnk) read on the Linux side, for the scenarios that
check the program group; the Start menu's Programs folder of the prefix; and
the folder windows that Wine's Program Manager leaves open.

A link file, as far as read here (all numbers little-endian):
    0x00  header size (0x4C), class id (16 bytes)
    0x14  link flags: 0x01 item list, 0x02 location, 0x04 description,
          0x08 relative path, 0x10 working directory, 0x20 arguments,
          0x40 icon location, 0x80 strings in UTF-16
    0x38  icon index
    0x4C  item list (if 0x01): a 16-bit size, then that many bytes
          location (if 0x02): a 32-bit size covering the whole block; at
          +0x08 its flags (0x01: a local path), at +0x10 the offset of the
          local base path (NUL-terminated, ANSI), at +0x18 that of the
          common path suffix
          strings, each present per its flag, in the order description,
          relative path, working directory, arguments, icon location: a
          16-bit count of characters, then the characters (Wine counts and
          writes a terminating NUL too)
"""
import os
import signal
import struct
import time

FLAG_ITEM_LIST, FLAG_LOCATION, FLAG_UNICODE = 0x01, 0x02, 0x80
STRINGS = [(0x04, "description"), (0x08, "relative_path"), (0x10, "work_dir"),
           (0x20, "arguments"), (0x40, "icon_file")]


def _c_string(data, at):
    end = data.index(b"\0", at)
    return data[at:end].decode("latin-1")


def read_link(data):
    """The fields of a link file: path (from the location block), and the
    strings; an absent string is None, an absent path ""."""
    if len(data) < 0x4C or struct.unpack_from("<I", data, 0)[0] != 0x4C:
        raise ValueError("not a link file")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    link = {"flags": flags, "icon_index": struct.unpack_from("<i", data, 0x38)[0], "path": ""}
    at = 0x4C
    if flags & FLAG_ITEM_LIST:
        at += 2 + struct.unpack_from("<H", data, at)[0]
    if flags & FLAG_LOCATION:
        size, _, location_flags, _, base, _, suffix = struct.unpack_from("<7I", data, at)
        if location_flags & 1:
            link["path"] = _c_string(data, at + base) + _c_string(data, at + suffix)
        at += size
    wide = flags & FLAG_UNICODE
    for flag, name in STRINGS:
        link[name] = None
        if flags & flag:
            count = struct.unpack_from("<H", data, at)[0]
            size = count * (2 if wide else 1)
            raw = data[at + 2:at + 2 + size]
            link[name] = raw.decode("utf-16-le" if wide else "latin-1").rstrip("\0")
            at += 2 + size
    return link


def programs_folder(s):
    """The Start menu's Programs folder of the prefix's user, as a C: path."""
    users = s.host("C:\\users")
    found = [p for p in users.glob("*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs")
             if p.parts[-7] != "Public"]
    s.expect(len(found) == 1, f"no single Programs folder under {users}: {found}")
    return "C:\\" + str(found[0].relative_to(s.wine.drive_c)).replace("/", "\\")


def _wine_processes(prefix):
    """(pid, command line) of every process of the prefix."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            environ = open(f"/proc/{entry}/environ", "rb").read().split(b"\0")
            cmdline = open(f"/proc/{entry}/cmdline", "rb").read().replace(b"\0", b" ")
        except OSError:
            continue
        if f"WINEPREFIX={prefix}".encode() in environ:
            found.append((int(entry), cmdline.decode("latin-1").strip()))
    return found


def end_folder_windows(s, folders, shown=True):
    """Ends the explorer.exe processes of this prefix that show one of the
    folders (C: paths): Wine's Program Manager opens folder windows for
    CreateGroup and ShowGroup, and they would outlive the scenario. How many
    is Wine's affair: it opens a folder through ShellExecute, whose "open"
    verb first tries a DDE conversation with "Folders" and starts a window
    of its own when that fails, which on a busy machine varies from run to
    run. So this waits until every folder that exists shows at least once
    (unless shown is False: the run made no Program Manager group) and no
    new window has come for two seconds (60 s at most). Returns {folder: how
    many windows showed it}."""
    wanted = [f.lower() for f in folders]
    awaited = {f.lower() for f in folders if shown and s.exists(f)}

    def showing():
        found = {}
        for pid, cmdline in _wine_processes(s.wine.env["WINEPREFIX"]):
            program, _, argument = cmdline.partition(" ")
            if program.lower().endswith("\\explorer.exe") and argument.lower() in wanted:
                found[pid] = argument.lower()
        return found

    deadline = time.monotonic() + 60
    seen, quiet_since = showing(), time.monotonic()
    while time.monotonic() < deadline:
        if awaited <= set(seen.values()) and time.monotonic() - quiet_since >= 2:
            break
        time.sleep(0.1)
        now = showing()
        if set(now) - set(seen):
            quiet_since = time.monotonic()
        seen.update(now)
    for pid in seen:
        try:
            os.kill(pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
    for _ in range(100):
        if not any(os.path.exists(f"/proc/{pid}/cmdline") and open(f"/proc/{pid}/cmdline").read()
                   for pid in seen):
            break
        time.sleep(0.05)
    return {folder: sum(1 for f in seen.values() if f == folder.lower()) for folder in folders}
