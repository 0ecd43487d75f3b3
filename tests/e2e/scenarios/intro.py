"""The intro box comes first and alone: the product name (its "&" shown as
such), the disclaimer in red, the logo ANDed onto the box (as built: the
neutral floppy disk, no maker's name); a click on the logo closes it and
only then does the options dialog appear. In a second run Enter closes it."""

TITLE = "Fonts & Faces"
BLUE_BACKDROP = (0, 64, 192)


def run(s):
    s.script(f"""
        [Install]
        name={TITLE}
        disclaimer=For evaluation only - not for resale
        BaseDir={s.dest}
        disks=0
        """)
    s.robot(f"""
        window-with Presents
        text 101 Fonts && Faces
        text 102 For evaluation only - not for resale
        absent {TITLE} Installation Options
        shot intro
        mouse 200
        gone
        window {TITLE} Installation Options
        click 109
        gone
        window {TITLE}
        text message Install Completed !
        click ok
        gone
        """)
    code = s.run()
    s.expect(code == 0, f"exit code {code}")

    colours = s.colours(s.shot("intro"))
    # The box's face is the commonest colour after the backdrop.
    face = max((c for c in colours if c != BLUE_BACKDROP), key=colours.get)
    s.expect(colours.get((255, 0, 0), 0) > 30, "no red disclaimer")
    # The neutral logo's navy disk and red letter, ANDed with the face.
    for logo, least in [((0, 0, 128), 1000), ((255, 0, 0), 50)]:
        anded = tuple(a & b for a, b in zip(logo, face))
        s.expect(colours.get(anded, 0) > least, f"the logo's {logo} does not show as {anded}")

    s.robot(f"""
        window-with Presents
        key enter
        gone
        window {TITLE} Installation Options
        click cancel
        window Cancel Confirmation
        click yes
        gone
        """)
    code = s.run()
    s.expect(code == 0, f"exit code {code} after Enter")
