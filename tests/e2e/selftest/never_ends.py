"""A robot that would wait for a window longer than the scenario may take:
the driver's deadline ends the scenario."""


def run(s):
    s.script("""
        [Install]
        name=Never Shown
        disks=0
        """)
    s.robot("""
        window-with Presents
        timeout 600
        window No Such Window
        """)
    s.run(timeout=600)
