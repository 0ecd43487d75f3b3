"""disks=0 with every archive beside the program: nothing is extracted, no
prompt appears, and the sequence goes on to "Install Completed !" and the
ProdInfo command."""
import shutil
import time

import diskset
from lnkfile import programs_folder

GROUP = "E2E Disks None"


def run(s):
    shutil.copy(s.args.robot, s.host(s.media_dir) / "TOUCH.EXE")
    more = f"[Icons]\nGroupName={GROUP}\nProdInfo=Product information,TOUCH.EXE --touch %I\\INFO.TXT\n"
    with diskset.DiskSet(s, one_dir=True, disks=0, script_more=more) as d:
        s.robot(f"""
            {s.past_options()}
            window Sample Fonts
            text message Install Completed !
            absent Disk Needed
            click ok
            gone
            """)
        code = s.run(timeout=60)
        s.expect(code == 0, f"exit code {code}")
        d.check([], absent=list(diskset.ARCHIVES))
        info = s.host(s.dest + "\\INFO.TXT")
        deadline = time.monotonic() + 10
        while not info.exists() and time.monotonic() < deadline:
            time.sleep(0.1)
        s.expect(d.dest_files() == ["INFO.TXT", "readme.txt"],
                 f"the destination holds {d.dest_files()}")
    shutil.rmtree(s.host(programs_folder(s) + "\\" + GROUP), ignore_errors=True)
