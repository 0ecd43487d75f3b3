"""A complete run whose script has WIN.INI data, run items and files to
delete: the product's WIN.INI section cleared and rewritten with the
destination in capital letters, another section added to unexpanded; the
first question answered No and its program not run, the second Yes and run,
then the 32-bit section; the named file deleted and a missing one passed over
without a word; all of it before "Install Completed !"."""
import shutil

WIN_INI = "C:\\windows\\win.ini"


def sections(data):
    """The lines of each section of an INI text, by lower-case name."""
    found, current = {}, None
    for line in data.decode("latin-1").splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            current = found.setdefault(line[1:-1].lower(), [])
        elif line and current is not None:
            current.append(line)
    return found


def run(s):
    # The run items' program: the robot writing a marker file.
    shutil.copy(s.args.robot, s.host(s.media_dir) / "TOUCH.EXE")
    dest = s.dest
    s.script(r"""
        [Install]
        name=Sample Fonts
        BaseDir=%s
        disks=0
        [WinIniData]
        ClearOld=1
        FontDir=%%I\FONTS
        AddToSection1=Sample Fonts Viewer;Dir=%%I\VIEWER
        [RunItems]
        read the notes=TOUCH.EXE --touch %%I\NOTES.TXT,1
        run the tutorial=TOUCH.EXE --touch %%I\TUTOR.TXT,1
        [Run16Items]
        old=TOUCH.EXE --touch %%I\R16.TXT
        [Run32Items]
        new=TOUCH.EXE --touch %%I\R32.TXT,0
        [DeleteFiles]
        Missing=%%I\NOT_THERE.TXT
        Old=%%I\OLD.TXT
        """ % dest.lower())
    s.host(dest).mkdir(parents=True)
    s.host(dest + "\\OLD.TXT").write_bytes(b"left from before\r\n")

    win_ini = s.host(WIN_INI)
    original = win_ini.read_bytes()
    win_ini.write_bytes(original + b"\r\n[Sample Fonts]\r\nStale=1\r\n"
                        b"[Sample Fonts Viewer]\r\nKeep=1\r\n")
    s.robot(f"""
        window-class FFIWClass Sample Fonts Installation
        {s.past_options()}
        window Sample Fonts
        text message Do you want to \\nread the notes ?
        shot first-question
        click no
        gone
        window Sample Fonts
        text message Do you want to \\nrun the tutorial ?
        click yes
        gone
        window Sample Fonts
        text message Install Completed !
        file {dest}\\TUTOR.TXT
        file {dest}\\R32.TXT
        nofile {dest}\\NOTES.TXT
        nofile {dest}\\R16.TXT
        nofile {dest}\\OLD.TXT
        shot final-message
        click ok
        gone
        """)
    try:
        code = s.run()
        after = sections(win_ini.read_bytes())
    finally:
        win_ini.write_bytes(original)

    s.expect(code == 0, f"exit code {code}")
    product = after.get("sample fonts")
    s.expect(product == [f"FontDir={dest}\\FONTS"], f"[Sample Fonts] holds {product}")
    viewer = after.get("sample fonts viewer")
    s.expect(viewer == ["Keep=1", "Dir=%I\\VIEWER"], f"[Sample Fonts Viewer] holds {viewer}")
    s.expect(s.read(dest + "\\TUTOR.TXT") == b"touched\r\n", "the tutorial marker differs")
    s.expect(not s.exists(dest + "\\NOTES.TXT"), "the declined program ran")
    s.expect(not s.exists(dest + "\\OLD.TXT"), "OLD.TXT was not deleted")
    s.expect_backdrop(s.shot("first-question"))
