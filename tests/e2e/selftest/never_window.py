"""A robot that waits for a window SETUP.EXE never shows: the robot's own
wait gives up first, after two seconds."""


def run(s):
    s.script("""
        [Install]
        name=Never Shown
        disks=0
        """)
    s.robot("""
        window-with Presents
        timeout 2
        window No Such Window
        """)
    s.run()
