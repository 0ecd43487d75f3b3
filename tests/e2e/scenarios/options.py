"""The Installation Options dialog: every package starts selected on the
default directory, one account while everything lies on drive C:; an
optional package cleared and the directory changed, OK installs into the
new directory."""

SCRIPT = """
    [Install]
    name=Sample Fonts
    BaseDir={dest}
    disks=0
    DirDesc=Sample Fonts
    [Packages]
    Core=Program files,PROGRAM,3,100,FF1,0
    Fonts=Sample fonts,FONTS,12,2000,FF1,1
    Driver=Printer driver,DRIVERS,1,50,DLL,1
    """


def run(s):
    chosen = s.root + "\\CHOSEN"
    s.script(SCRIPT.format(dest=s.dest))
    s.media("readme.txt", "Read me first.\n")
    s.robot(f"""
        window-with Presents
        mouse 200
        gone
        window Sample Fonts Installation Options
        caption Sample Fonts Installation Options
        text 740 Directory for Sample Fonts
        text 310 {s.dest}
        text 3000 Drive C:
        text 1107 2150 K
        hidden 3001
        hidden 1300
        enabled 109
        shot options
        unselect 110 1
        text 1107 150 K
        set 310 {chosen.lower()}
        text 1107 150 K
        enabled 109
        shot options-changed
        click 109
        gone
        window Sample Fonts
        text message Install Completed !
        file {chosen}\\readme.txt
        click ok
        gone
        """)
    code = s.run()
    s.expect(code == 0, f"exit code {code}")
    s.expect(s.exists(chosen + "\\readme.txt"), "the readme is not in the chosen directory")
    s.expect(not s.exists(s.dest), "the default directory was made")

    # Ticks and texts: required dark green and grey, selected bright green,
    # cleared red; free space shown in full.
    first, changed = s.colours(s.shot("options")), s.colours(s.shot("options-changed"))
    for colour, what in [((0, 128, 0), "dark green tick"), ((127, 127, 127), "grey text"),
                         ((0, 255, 0), "bright green")]:
        s.expect(first.get(colour, 0) > 10, f"no {what} in the options dialog")
    s.expect(first.get((255, 0, 0), 0) == 0, "red before any package was cleared")
    s.expect(changed.get((255, 0, 0), 0) > 10, "the cleared package is not red")
