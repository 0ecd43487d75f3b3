"""The ProdInfo command of the script starts after the final message has
been closed; a script without ProdInfo starts nothing."""
import shutil
import time

from lnkfile import programs_folder

# The icons of the script go into a group of their own, removed afterwards.
GROUP = "E2E Product Info"


def run(s):
    # The product-information program: the robot writing a marker file. At
    # the final message the robot gives a command started too early a
    # second to show itself.
    shutil.copy(s.args.robot, s.host(s.media_dir) / "INFO.EXE")
    marker = s.dest + "\\INFO.TXT"
    s.script(r"""
        [Install]
        name=Sample Fonts
        BaseDir=%s
        disks=0
        [Icons]
        GroupName=%s
        ProdInfo=Product information,INFO.EXE --touch %%I\INFO.TXT
        """ % (s.dest, GROUP))
    s.robot(f"""
        {s.past_options()}
        window Sample Fonts
        text message Install Completed !
        sleep 1000
        nofile {marker}
        click ok
        gone
        waitfile {marker}
        """)
    code = s.run()
    s.expect(code == 0, f"exit code {code}")
    s.expect(s.read(marker) == b"touched\r\n", "the marker does not hold the command's text")

    s.host(marker).unlink()
    s.script(r"""
        [Install]
        name=Sample Fonts
        BaseDir=%s
        disks=0
        [Icons]
        GroupName=%s
        Information=Product information,INFO.EXE --touch %%I\INFO.TXT
        """ % (s.dest, GROUP))
    s.robot(f"""
        {s.past_options()}
        window Sample Fonts
        click ok
        gone
        """)
    code = s.run()
    time.sleep(1)
    s.expect(code == 0, f"exit code {code} without ProdInfo")
    s.expect(not s.exists(marker), "a command ran although the script has no ProdInfo")
    shutil.rmtree(s.host(programs_folder(s) + "\\" + GROUP), ignore_errors=True)
