"""Cancel in the icon window, pressed once the sixth icon is there: the
icon walk lets the window's messages through after every group and icon,
so the Cancel is heard before the next entry. SETUP.EXE, unable to load
shell32.dll, makes its group through Wine's Program Manager, whose items
take long enough to press Cancel mid-way. The icons made before the cancel
stay, in script order, the rest are not made, no message is shown for it,
and the later stages (here a file deletion) and "Install Completed !"
follow. Nothing else on the drive changes."""
import shutil

from lnkfile import end_folder_windows, programs_folder

GROUP = "E2E Cancel Icons"
ICONS = [f"Icon{i:03d}" for i in range(55)]  # a key list of 10 + 55 * 8 bytes


def run(s):
    folder = programs_folder(s) + "\\" + GROUP
    shutil.rmtree(s.host(folder), ignore_errors=True)
    s.app_setting("DllOverrides", "shell32", "")
    icons = "\n".join(f"{name}=%W\\notepad.exe" for name in ICONS)
    s.script(f"""
        [Install]
        name=Sample Fonts
        BaseDir={s.dest}
        disks=0
        [Icons]
        GroupName={GROUP}
        {icons}
        [DeleteFiles]
        Old=%I\\OLD.TXT
        """.replace("\n" + " " * 8 + "Icon", "\nIcon"))
    s.host(s.dest).mkdir(parents=True)
    s.host(s.dest + "\\OLD.TXT").write_bytes(b"left from before\r\n")
    s.robot(f"""
        {s.past_options()}
        window Install
        text 901 Installing Desktop Icons
        waitfile {folder}\\{ICONS[5]}.lnk
        shot icons-mid-way
        click cancel
        gone
        window Sample Fonts
        text message Install Completed !
        nofile {s.dest}\\OLD.TXT
        absent Setup
        shot completed
        click ok
        gone
        """)
    try:
        code = s.run(watch=True)
    finally:
        end_folder_windows(s, [folder])
    try:
        s.expect(code == 0, f"exit code {code}")
        s.expect_changes([s.dest + "\\readme.txt", s.dest + "\\OLD.TXT", folder + "\\*.lnk"])
        made = sorted(p.stem for p in s.host(folder).glob("*.lnk")) if s.exists(folder) else []
        s.expect(made == ICONS[:len(made)], f"the group holds {made}")
        s.expect(len(made) > 5, f"only {made} were made before the cancel")
        s.expect(len(made) < len(ICONS), "every icon was made: the cancel came too late")
        print(f"icons made before the cancel: {len(made)} of {len(ICONS)}")
    finally:
        shutil.rmtree(s.host(folder), ignore_errors=True)
