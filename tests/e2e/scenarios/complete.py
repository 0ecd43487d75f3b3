"""A complete run with a script that names no disks: the backdrop, the final
message with the title as caption, the readme and the script copied, the
script copy deleted at the end, exit code 0."""
import os
import time

README = "Sample Fonts\n\nRead me first.\n"
# An even number of seconds: DOS times keep two-second steps.
README_TIME = time.mktime((2001, 2, 3, 4, 5, 6, 0, 0, -1))


def run(s):
    s.script(f"""
        [Install]
        name=Sample Fonts
        BaseDir={s.dest}
        disks=0
        """)
    s.media("readme.txt", README)
    os.utime(s.host(s.media_dir + "\\readme.txt"), (README_TIME, README_TIME))
    s.robot(f"""
        window-class FFIWClass Sample Fonts Installation
        {s.past_options()}
        window Sample Fonts
        text message Install Completed !
        file {s.dest}\\install.ini
        file {s.dest}\\readme.txt
        shot final-message
        click ok
        gone
        """)
    code = s.run()

    s.expect(code == 0, f"exit code {code}")
    readme = s.host(s.dest + "\\readme.txt")
    s.expect(readme.read_bytes() == README.replace("\n", "\r\n").encode(), "the readme copy differs")
    s.expect(readme.stat().st_mtime == README_TIME,
             f"the readme copy is dated {time.ctime(readme.stat().st_mtime)}")
    s.expect(not s.exists(s.dest + "\\install.ini"), "the script copy is still there")
    s.expect_backdrop(s.shot("final-message"))
