"""BaseDir %W: the destination is the Windows directory. No directory is
created and no readme copied; the script copy is made there and deleted."""


def run(s):
    s.script("""
        [Install]
        name=Sample Fonts
        BaseDir=%W
        disks=0
        """)
    s.media("readme.txt", "Read me first.\n")
    s.robot(rf"""
        {s.past_options()}
        window Sample Fonts
        text message Install Completed !
        file C:\WINDOWS\install.ini
        nofile C:\WINDOWS\readme.txt
        click ok
        gone
        """)
    s.expect(not s.exists(r"C:\WINDOWS\readme.txt"), "a readme is in the Windows directory already")
    before = s.snapshot()
    code = s.run()
    changed = s.snapshot() ^ before

    s.expect(code == 0, f"exit code {code}")
    s.expect(not changed, f"the run left {sorted(changed)} behind")
    s.expect(not s.exists(r"C:\WINDOWS\install.ini"), "the script copy is still there")
