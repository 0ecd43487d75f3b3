"""The demo (scripts/demo): SETUP.EXE installs a small sample product from a
media directory; the driver then shows what was installed. With --manual
you click through it yourself."""
import time

README = """Sample Fonts

A small sample product for the font setup program.
"""


def run(s):
    s.script(f"""
        [Install]
        name=Sample Fonts
        disclaimer=A demonstration of the font setup program.
        BaseDir={s.dest}
        disks=0
        DirDesc=Sample Fonts
        """)
    s.media("readme.txt", README)
    s.robot(f"""
        window-class FFIWClass Sample Fonts Installation
        window-with Presents
        shot intro
        mouse 200
        gone
        window Sample Fonts Installation Options
        enabled 109
        shot options
        click 109
        gone
        window Sample Fonts
        text message Install Completed !
        shot final-message
        click ok
        gone
        """)
    print(f"Running SETUP.EXE from {s.media_dir} under Wine"
          + (": click through it" if s.args.manual else ", driven by the robot"))
    code = s.run(timeout=600 if s.args.manual else 60)

    print(f"SETUP.EXE ended with exit code {code}. Installed in {s.dest}:")
    dest = s.host(s.dest)
    files = sorted(p for p in dest.rglob("*") if p.is_file()) if dest.is_dir() else []
    for path in files:
        stamp = time.strftime("%Y-%m-%d %H:%M:%S", time.localtime(path.stat().st_mtime))
        print(f"  {str(path.relative_to(dest)):<30} {path.stat().st_size:>8} bytes  {stamp}")
    print(f"  (on the host: {dest})")
    if s.shot_count:
        print(f"Screenshots: {s.shots}")
    s.expect(code == 0, f"exit code {code}")
    s.expect(files, "nothing was installed")
