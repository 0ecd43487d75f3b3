"""Windows 3.0 is refused over the backdrop before anything else, nothing is
created and the exit code is 0; Windows 3.10 passes."""

REFUSAL = r"Install does not support Window versions\nPrior to 3.1."


def run(s):
    s.script(f"""
        [Install]
        name=Sample Fonts
        BaseDir={s.dest}
        disks=0
        """)
    s.media("readme.txt", "Read me first.\n")

    s.app_setting("", "Version", "win30")
    s.robot(f"""
        window-class FFIWClass Sample Fonts Installation
        window Unsupported Windows Version
        text message {REFUSAL}
        shot refusal
        click ok
        gone
        """)
    before = s.snapshot()
    code = s.run()
    created = s.snapshot() - before
    s.expect(code == 0, f"exit code {code} after the refusal")
    s.expect(not created, f"the refused run created {sorted(created)}")
    s.expect_backdrop(s.shot("refusal"))

    s.app_setting("", "Version", "win31")
    s.robot(f"""
        {s.past_options()}
        window Sample Fonts
        absent Unsupported Windows Version
        text message Install Completed !
        shot completed-on-3.10
        click ok
        gone
        """)
    code = s.run()
    s.expect(code == 0, f"exit code {code} on 3.10")
    s.expect(s.exists(s.dest + "\\readme.txt"), "3.10 did not install the readme")
