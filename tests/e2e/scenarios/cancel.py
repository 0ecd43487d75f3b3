"""Cancel in the Installation Options dialog asks first: No keeps the
dialog with the choices made; Yes ends the program with exit code 0 and
nothing on the drive changed."""


def run(s):
    s.script(f"""
        [Install]
        name=Sample Fonts
        BaseDir={s.dest}
        disks=0
        [Packages]
        Core=Program files,PROGRAM,3,100,FF1,0
        Fonts=Sample fonts,FONTS,12,2000,FF1,1
        """)
    s.media("readme.txt", "Read me first.\n")
    s.robot("""
        window-with Presents
        mouse 200
        gone
        window Sample Fonts Installation Options
        text 1107 2100 K
        unselect 110 1
        text 1107 100 K
        click cancel
        window Cancel Confirmation
        text message Are you sure you want to cancel installation?
        shot cancel-question
        click no
        gone
        window Sample Fonts Installation Options
        text 1107 100 K
        enabled 109
        click cancel
        window Cancel Confirmation
        click yes
        gone
        """)
    code = s.run(watch=True)
    s.expect(code == 0, f"exit code {code}")
    s.expect_changes([])
