"""The disk prompt for disk 2: OK with an empty field keeps it, Cancel
asks first and No keeps it, Cancel and Yes end the program with exit
code 0. The readme, the script copy and all of disk 1 stay installed."""
import diskset


def run(s):
    with diskset.DiskSet(s) as d:
        s.robot("""
            window-with Presents
            mouse 200
            gone
            window Sample Fonts Installation Options
            enabled 109
            click 109
            gone
            window Disk Needed
            set 112
            click ok
            sleep 500
            text 111 Insert Disk 2
            click cancel
            window Cancel Confirmation
            text message Are you sure you want to cancel installation?
            shot cancel-question
            click no
            gone
            window Disk Needed
            text 111 Insert Disk 2
            click cancel
            window Cancel Confirmation
            click yes
            gone
            """)
        code = s.run(timeout=90)
        s.expect(code == 0, f"exit code {code}")
        s.expect(s.exists(s.dest + "\\readme.txt"), "the readme is gone")
        s.expect(s.exists(s.dest + "\\install.ini"), "the script copy is gone")
        d.check(["FONTS1.ARC", "FONTS2.ARC", "VIEWER.ARC"],
                absent=["CONV.ARC", "TT.ARC", "DRIVER.ARC", "EXTRA1.ARC", "EXTRA2.ARC"])
