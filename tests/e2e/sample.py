"""The sample product of Sample Type Foundry, as the windows build made it
(samples/product beside SETUP.EXE): its disk set built with mkmedia and
checked with inicheck, the robot's steps through its installation, and the
checks and the listing of what an installation left on the drive. Used by
the demo and by the scenarios that install the sample."""
import configparser
import shutil
import time
from pathlib import Path, PureWindowsPath

import diskset
from lnkfile import programs_folder, read_link

WIN_INI = "C:\\windows\\win.ini"
SYSTEM_TYPES = ("TTF", "DLL", "FF12TTF")


def read_script(path):
    """The written script as {section: {key: value}}, keys as written."""
    parser = configparser.ConfigParser(interpolation=None, strict=False,
                                       comment_prefixes=(";",))
    parser.optionxform = str
    parser.read_string(path.read_bytes().decode("latin-1"))
    return {name: dict(parser[name]) for name in parser.sections()}


def places(s, script, product):
    """(source file, C: path where it lands) for the readme and every file of
    every package."""
    base = script["Install"]["BaseDir"]
    found = [(product / "readme.txt", base + "\\readme.txt")]
    for name, value in script["Packages"].items():
        fields = value.split(",")
        folder = diskset.SYSTEM if fields[4].upper() in SYSTEM_TYPES else f"{base}\\{fields[1]}"
        source = product / name
        for path in sorted(p for p in source.rglob("*") if p.is_file()):
            found.append((path, folder + "\\" + str(path.relative_to(source)).replace("/", "\\")))
    return found


def make_disks(s):
    """The product copied onto C:, its disk set built and checked; the
    directory of disk 1 and the written script."""
    product = s.host(s.root + "\\PRODUCT")
    shutil.copytree(Path(s.args.setup).parent / "samples" / "product", product)
    shutil.copy(s.args.ship_setup or s.args.setup, product / "SETUP.EXE")
    disks = s.root + "\\DISKS"
    print(f"mkmedia {s.root}\\PRODUCT {disks} --media 1.44M --image")
    print("  " + s.tool("mkmedia", s.root + "\\PRODUCT", disks, "--media", "1.44M", "--image")
          .rstrip().replace("\n", "\n  "))
    show_images(s, disks)
    script = s.host(disks + "\\DISK1\\INSTALL.INI")
    findings = s.tool("inicheck", disks + "\\DISK1\\INSTALL.INI", "--media", disks + "\\DISK1")
    print("inicheck DISK1\\INSTALL.INI --media DISK1: " + (findings or "nothing found"))
    return disks + "\\DISK1", product, read_script(script)


def brand_setup(s, setup, target):
    """A SETUP.EXE given the sample's logo and credits, as mkmedia writes them
    onto disk 1: the sample built once more, onto a CD, with it."""
    shutil.copy(setup, s.host(s.root + "\\BRANDING.EXE"))
    out = s.root + "\\BRANDING"
    s.tool("mkmedia", s.root + "\\PRODUCT", out, "--media", "cd", "--setup",
           s.root + "\\BRANDING.EXE")
    shutil.copy(s.host(out + "\\DISK1\\SETUP.EXE"), s.host(target))


def show_images(s, disks):
    """The 1.44M images beside the disk directories, as the host names them."""
    images = sorted(s.host(disks).glob("DISK*.IMG"))
    print("Disk images, to write to floppies or attach to a virtual machine:")
    for image in images:
        print(f"  {image}  {image.stat().st_size} bytes")
    count = sum(1 for p in s.host(disks).glob("DISK*") if p.is_dir())
    s.expect(len(images) == count and all(i.stat().st_size == 1474560 for i in images),
             f"{count} disks, but the images are {images}")


class Saved:
    """What the installation changes outside C:\\E2E: the system directory's
    files, WIN.INI, the program group and the destination; put back on exit
    unless kept."""

    def __init__(self, s, script, files):
        self.s, self.keep = s, s.args.keep
        group = script.get("Icons", {}).get("GroupName")
        self.group = group and programs_folder(s) + "\\" + group
        self.dest = script["Install"]["BaseDir"]
        # Only a folder of the product's own is removed, never a Windows one.
        own = "%" not in self.dest and len(PureWindowsPath(self.dest).parts) > 1 \
            and not self.dest.lower().startswith("c:\\windows")
        s.expect(group != "" and own,
                 f"the demo removes {self.dest} and the group {group!r} before it runs")
        system = [target for _, target in files if target.startswith(diskset.SYSTEM)]
        self.system = system + [f"{diskset.SYSTEM}\\{name}" for name in diskset.KEPT]
        self.saved = {}

    def __enter__(self):
        for path in self.system + [WIN_INI]:
            host = self.s.host(path)
            self.saved[path] = host.read_bytes() if host.exists() else None
        self._remove_installation()
        return self

    def __exit__(self, *exc):
        if self.keep:
            return
        self._remove_installation()
        for path, data in self.saved.items():
            if data is not None:
                self.s.host(path).write_bytes(data)

    def _remove_installation(self):
        for path in self.system:
            self.s.host(path).unlink(missing_ok=True)
        for folder in filter(None, (self.group, self.dest)):
            shutil.rmtree(self.s.host(folder), ignore_errors=True)


def robot_steps(title, after_options=""):
    """The user's steps through the sample's installation; after_options are
    steps for what comes between the options dialog and the run item."""
    return f"""
        window-class FFIWClass {title} Installation
        window-with Presents
        shot intro
        mouse 200
        gone
        window {title} Installation Options
        enabled 109
        shot options
        click 109
        gone
        {after_options}
        window {title}
        text message Do you want to \\nread the readme now ?
        shot run-item
        click no
        gone
        window {title}
        text message Install Completed !
        shot final-message
        click ok
        gone
        """


def show_files(s, files):
    print(f"Files ({diskset.SYSTEM} is what the setup calls its system directory):")
    for source, target in files:
        host = s.host(target)
        if not host.is_file():
            print(f"  {target:<36} missing")
            continue
        stamp = time.strftime("%Y-%m-%d %H:%M:%S", time.localtime(host.stat().st_mtime))
        print(f"  {target:<36} {host.stat().st_size:>7} bytes  {stamp}")
    folders = sorted({t.rsplit("\\", 1)[0] for _, t in files if t.upper().endswith(".FF1")})
    print("Face identifiers (ff1 show):")
    for folder in folders:
        fonts = [t for _, t in files if t.upper().endswith(".FF1") and t.startswith(folder + "\\")]
        print("  " + s.tool("ff1", "show", *fonts).rstrip().replace("\n", "\n  "))


def ini_sections(data, names):
    """The lines of the named sections of an INI text."""
    shown, current = [], None
    for line in data.decode("latin-1").splitlines():
        line = line.strip()
        if line.startswith("["):
            current = line[1:-1].lower() in names
        if current and line:
            shown.append(line)
    return shown


def show_settings(s, script, group):
    sections = {script["Install"]["name"].lower()}
    sections |= {v.split(";")[0].lower() for k, v in script.get("WinIniData", {}).items()
                 if k.lower().startswith("addtosection")}
    lines = ini_sections(s.read(WIN_INI), sections)
    print("WIN.INI:\n  " + "\n  ".join(lines or ["(nothing)"]))
    folder = group and s.host(group)
    links = sorted(folder.glob("*.lnk")) if folder and folder.is_dir() else []
    print(f"Program group {group}:")
    for path in links:
        link = read_link(path.read_bytes())
        print(f"  {path.stem}: {link['path']} {link['arguments'] or ''}".rstrip())
    if not links:
        print("  (no links)")
    return lines, links


def check(s, script, files, lines, links, titles=("Read Me",)):
    dest = script["Install"]["BaseDir"]
    for source, target in files:
        s.expect(s.exists(target), f"{target} is missing")
        if not target.upper().endswith(".FF1"):
            s.expect(s.read(target) == source.read_bytes(), f"{target} differs from the product's")
    fonts = s.host(dest + "\\FONTS")
    faces = {p.name: diskset.face_ids(p.read_bytes()) for p in fonts.glob("*.FF1")}
    ids = [i for f in faces.values() for i in f]
    s.expect(len(ids) == len(set(ids)), f"identifiers clash in {dest}\\FONTS: {faces}")
    listed = diskset.name_list((fonts / "fontnam.dat").read_bytes())
    s.expect(listed == faces, f"fontnam.dat lists {listed}, the fonts hold {faces}")
    s.expect(f"FontDir={dest}\\FONTS" in lines, f"WIN.INI holds {lines}")
    s.expect([p.stem for p in links] == list(titles), f"the group holds {links}")
