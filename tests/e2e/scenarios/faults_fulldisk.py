"""A destination drive that fills up: drive D: is a fresh 256 KB file
system (a tmpfs the test mounts; the scenario is skipped where mounting is
not allowed). The Installation Options dialog shows D:'s free space, and
while the optional 300 K package is selected the warning and a disabled
OK; without it OK is enabled. The script understates the required
package's size: its archive holds a member larger than the drive, whose
short write fails it with the error message naming the archive. The member
before it stays, the one that did not fit leaves no file and gives its
space back, the one after it is not extracted; the run ends with "Install
Completed !" and exit code 0. Nothing else on C: or D: changes."""
import os
import random
import time

STAMP = time.mktime((2003, 4, 5, 6, 7, 8, 0, 0, -1))
SIZE_K = 256
MEMBERS = {"A.TXT": b"fits\r\n", "BIG.DAT": random.Random(1).randbytes(400 << 10),
           "C.TXT": b"after\r\n"}


def free_k(mount):
    st = os.statvfs(mount)
    return st.f_bavail * st.f_frsize // 1024


def run(s):
    mount = s.small_drive("D", SIZE_K)
    staging = s.root + "\\BUILD"
    for name, data in MEMBERS.items():
        path = s.host(f"{staging}\\{name}")
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
        os.utime(path, (STAMP, STAMP))
    s.tool("arc", "create", f"{s.media_dir}\\FONTS.ARC", staging)
    s.script("""
        [Install]
        name=Sample Fonts
        BaseDir=D:\\PRODUCT
        disks=1
        [Packages]
        Fonts=Sample fonts,FONTS,3,150,APP,0
        Extras=Extra samples,EXTRAS,1,300,APP,1
        [Disk1]
        Fonts=FONTS.ARC
        """)
    s.media("readme.txt", "Sample Fonts\n")
    free = free_k(mount)
    s.expect(free == SIZE_K, f"the new drive has {free} K free")
    s.robot(f"""
        window-with Presents
        mouse 200
        gone
        window Sample Fonts Installation Options
        text 3000 Drive D:
        text 1108 {free} K
        text 1107 450 K
        visible 1300
        disabled 109
        shot not-enough-space
        unselect 110 1
        text 1107 150 K
        hidden 1300
        enabled 109
        click 109
        gone
        window Setup
        text message An error occurred while extracting files from '{s.media_dir.lower()}\\FONTS.ARC'.
        shot disk-full
        click ok
        gone
        window Sample Fonts
        text message Install Completed !
        click ok
        gone
        """)
    code = s.run(watch=True)
    s.expect(code == 0, f"exit code {code}")
    s.expect_changes(["D:\\PRODUCT\\readme.txt", "D:\\PRODUCT\\FONTS\\A.TXT"])
    a = s.host("D:\\PRODUCT\\FONTS\\A.TXT")
    s.expect(a.read_bytes() == MEMBERS["A.TXT"] and a.stat().st_mtime == STAMP,
             "A.TXT is not installed whole and dated")
    for name in ("BIG.DAT", "C.TXT"):
        s.expect(not s.exists(f"D:\\PRODUCT\\FONTS\\{name}"), f"{name} is on the drive")
    s.expect(not s.exists("D:\\PRODUCT\\install.ini"), "the script copy is still there")
    s.expect(free_k(mount) >= SIZE_K - 16, f"only {free_k(mount)} K free afterwards")
    s.expect_backdrop(s.shot("disk-full"))
