"""The program group as shell links: a script with two GroupName entries, a
ProdInfo and ordinary icons with and without icon files makes one folder per
group under the Start menu's Programs folder, with a link per icon named
after its title, before "Install Completed !". Each link, read back on the
Linux side, holds the command line split into target, arguments and working
directory, the title as description and the icon file; "%F" is the fonts
folder found at start-up."""
import shutil

from lnkfile import programs_folder, read_link

GROUPS = ["E2E Sample Fonts", "E2E Sample Tools"]


def run(s):
    shutil.copy(s.args.robot, s.host(s.media_dir) / "INFO.EXE")
    programs = programs_folder(s)
    folders = [programs + "\\" + group for group in GROUPS]
    for folder in folders:
        shutil.rmtree(s.host(folder), ignore_errors=True)
    media, dest = s.media_dir, s.dest
    s.script(rf"""
        [Install]
        name=Sample Fonts
        BaseDir={dest.lower()}
        disks=0
        [Icons]
        GroupName={GROUPS[0]}
        ProdInfo=Product information,{media}\INFO.EXE --touch %I\INFO.TXT
        Viewer=%I\VIEWER.EXE %I\readme.txt,%I\VIEWER.ICO
        Font folder=%W\explorer.exe %F,%W\explorer.exe
        GroupName={GROUPS[1]}
        Notepad=%W\notepad.exe
        """)
    s.robot(f"""
        {s.past_options()}
        window Sample Fonts
        text message Install Completed !
        file {folders[0]}\\Viewer.lnk
        file {folders[1]}\\Notepad.lnk
        click ok
        gone
        waitfile {dest}\\INFO.TXT
        """)
    code = s.run()
    s.expect(code == 0, f"exit code {code}")

    windows = "C:\\windows"
    expected = {
        (0, "Product information"): (f"{media}\\INFO.EXE", f"--touch {dest}\\INFO.TXT", media, None),
        (0, "Viewer"): (f"{dest}\\VIEWER.EXE", f"{dest}\\readme.txt", dest, f"{dest}\\VIEWER.ICO"),
        (0, "Font folder"): (f"{windows}\\explorer.exe", f"{windows}\\Fonts", windows,
                             f"{windows}\\explorer.exe"),
        (1, "Notepad"): (f"{windows}\\notepad.exe", None, windows, None),
    }
    for group in (0, 1):
        names = sorted(p.name for p in s.host(folders[group]).iterdir())
        titles = sorted(f"{title}.lnk" for g, title in expected if g == group)
        s.expect(names == titles, f"{GROUPS[group]} holds {names}")
    for (group, title), (path, arguments, work_dir, icon) in expected.items():
        link = read_link(s.read(f"{folders[group]}\\{title}.lnk"))
        got = (link["path"], link["arguments"], link["work_dir"], link["icon_file"])
        want = (path, arguments, work_dir, icon)
        s.expect(tuple(v and v.lower() for v in got) == tuple(v and v.lower() for v in want),
                 f"{title}.lnk holds {got}, not {want}")
        s.expect(link["description"] == title, f"{title}.lnk is described {link['description']!r}")
    for folder in folders:
        shutil.rmtree(s.host(folder))
