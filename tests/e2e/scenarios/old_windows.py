"""The sample product installed from its disk set four times, with Wine
reporting Windows 3.1 (as Win32s reports it), Windows 95, Windows NT 3.51 and
Windows NT 4.0 to the program: each run passes the version test, asks the
[RunItems] question, runs the program of [Run32Items] and not that of
[Run16Items] (the version code comes from the version of the system's
USER.EXE, which no Windows 3.x gives here, not from the version reported),
and reaches "Install Completed !". Windows 95 and NT make the program group
as shell links. Windows 3.1 has no shell folders, whatever shell32.dll
offers: the group goes to Program Manager by DDE (here Wine's, which opens
folder windows on the group and refuses an item with an argument, so the user
sees "Unable to add icon." and the group stays empty), and the run item is
started without a wait."""
import shutil

import sample
from lnkfile import end_folder_windows

# Four installations: more than the usual 90 s on a busy machine.
TIMEOUT = 180

VERSIONS = ["win31", "win95", "nt351", "nt40"]
# A program for the run items: the robot, writing a marker file.
RUN_ITEMS = r"""
[Run16Items]
sixteen=TOUCH.EXE --touch %I\R16.TXT
[Run32Items]
thirty-two=TOUCH.EXE --touch %I\R32.TXT
"""
# Wine's Program Manager takes no command line with an argument.
PROGMAN_REFUSES = """
        window Setup
        text message Unable to add icon.
        shot unable-to-add-icon
        click ok
        gone
"""


def run(s):
    disk1, product, script = sample.make_disks(s)
    with open(s.host(disk1 + "\\INSTALL.INI"), "ab") as f:
        f.write(RUN_ITEMS.replace("\n", "\r\n").encode())
    shutil.copy(s.args.robot, s.host(disk1) / "TOUCH.EXE")
    files = sample.places(s, script, product)
    title, dest = script["Install"]["name"], script["Install"]["BaseDir"]
    s.media_dir = disk1
    for version in VERSIONS:
        windows31 = version == "win31"
        with sample.Saved(s, script, files) as saved:
            s.app_setting("", "Version", version)
            steps = sample.robot_steps(title, PROGMAN_REFUSES if windows31 else "")
            s.robot(steps.replace("shot ", f"shot {version}-"))
            try:
                code = s.run()
            finally:
                # Program Manager's commands open folder windows on the group.
                folders = end_folder_windows(s, [saved.group], shown=windows31)[saved.group]
            s.expect(code == 0, f"{version}: exit code {code}")
            s.expect((folders > 0) == windows31, f"{version}: {folders} Program Manager folder windows")
            lines, links = sample.show_settings(s, script, saved.group)
            sample.check(s, script, files, lines, links, () if windows31 else ("Read Me",))
            s.expect(s.exists(dest + "\\R32.TXT"), f"{version}: [Run32Items] did not run")
            s.expect(not s.exists(dest + "\\R16.TXT"), f"{version}: [Run16Items] ran")
