"""Program Manager for real: SETUP.EXE, unable to load shell32.dll, makes
its groups and items through Wine's own Program Manager (the desktop process
serves "PROGMAN"). Two groups; items without arguments whose programs exist
become links in the group folders;
an item with an argument is refused by Wine, so the user sees "Unable to add
icon." over the status window, the entries after it are skipped, and the
later stages (here a file deletion) follow after the icons. CreateGroup and
ShowGroup open folder windows, a few seconds later and over SETUP.EXE's
windows; each group's must show, and they are ended afterwards."""
import shutil

from lnkfile import end_folder_windows, programs_folder, read_link

GROUPS = ["E2E Progman Fonts", "E2E Progman Tools"]


def run(s):
    shutil.copy(s.args.robot, s.host(s.media_dir) / "TOUCH.EXE")
    programs = programs_folder(s)
    folders = [programs + "\\" + group for group in GROUPS]
    for folder in folders:
        shutil.rmtree(s.host(folder), ignore_errors=True)
    s.app_setting("DllOverrides", "shell32", "")
    s.script(rf"""
        [Install]
        name=Sample Fonts
        BaseDir={s.dest}
        disks=0
        [Icons]
        GroupName={GROUPS[0]}
        Notepad=%W\notepad.exe,%W\notepad.exe
        Touch={s.media_dir}\TOUCH.EXE
        GroupName={GROUPS[1]}
        Registry=%W\regedit.exe
        Notes=%W\notepad.exe %I\readme.txt
        After=%W\notepad.exe
        [DeleteFiles]
        Old=%I\OLD.TXT
        """)
    s.host(s.dest).mkdir(parents=True)
    s.host(s.dest + "\\OLD.TXT").write_bytes(b"left from before\r\n")
    s.robot(f"""
        {s.past_options()}
        window Install
        text 901 Installing Desktop Icons
        window Setup
        text message Unable to add icon.
        file {s.dest}\\OLD.TXT
        shot unable-to-add-icon
        click ok
        gone
        window Sample Fonts
        text message Install Completed !
        nofile {s.dest}\\OLD.TXT
        absent Install
        click ok
        gone
        """)
    try:
        code = s.run()
    finally:
        windows = end_folder_windows(s, folders)
    s.expect(code == 0, f"exit code {code}")
    print(f"folder windows Wine opened: {windows}")
    s.expect(all(windows.values()), f"a group was never shown: {windows}")

    made = {group: sorted(p.name for p in s.host(folder).iterdir()) if s.exists(folder) else None
            for group, folder in zip(GROUPS, folders)}
    expected = {GROUPS[0]: ["Notepad.lnk", "Touch.lnk"], GROUPS[1]: ["Registry.lnk"]}
    s.expect(made == expected, f"the group folders hold {made}")
    targets = {
        (GROUPS[0], "Notepad"): "C:\\windows\\notepad.exe",
        (GROUPS[0], "Touch"): s.media_dir + "\\TOUCH.EXE",
        (GROUPS[1], "Registry"): "C:\\windows\\regedit.exe",
    }
    for (group, title), target in targets.items():
        link = read_link(s.read(f"{programs}\\{group}\\{title}.lnk"))
        print(f"Wine's Program Manager made {group}\\{title}.lnk: {link}")
        s.expect(link["path"].lower() == target.lower(), f"{title}.lnk points to {link['path']}")
        s.expect(link["description"] == title, f"{title}.lnk is described {link['description']!r}")
    for folder in folders:
        shutil.rmtree(s.host(folder), ignore_errors=True)
