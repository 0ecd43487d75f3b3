"""The sample product installed from its disk set three times, with Wine
reporting Windows 95, Windows NT 3.51 and Windows NT 4.0 to the program:
each run passes the version test, asks the [RunItems] question, runs the
program of [Run32Items] and not that of [Run16Items] (the version code comes
from the version of the system's USER.EXE, which no Windows 3.x gives here,
not from the version reported), and makes the program group as shell links,
up to "Install Completed !"."""
import shutil

import sample

# Three installations: more than the usual 90 s on a busy machine.
TIMEOUT = 150

VERSIONS = ["win95", "nt351", "nt40"]
# A program for the run items: the robot, writing a marker file.
RUN_ITEMS = r"""
[Run16Items]
sixteen=TOUCH.EXE --touch %I\R16.TXT
[Run32Items]
thirty-two=TOUCH.EXE --touch %I\R32.TXT
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
        with sample.Saved(s, script, files) as saved:
            s.app_setting("", "Version", version)
            s.robot(sample.robot_steps(title).replace("shot ", f"shot {version}-"))
            code = s.run()
            s.expect(code == 0, f"{version}: exit code {code}")
            lines, links = sample.show_settings(s, script, saved.group)
            sample.check(s, script, files, lines, links)
            s.expect(s.exists(dest + "\\R32.TXT"), f"{version}: [Run32Items] did not run")
            s.expect(not s.exists(dest + "\\R16.TXT"), f"{version}: [Run16Items] ran")
