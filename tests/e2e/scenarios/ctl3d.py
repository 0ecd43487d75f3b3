"""Without a loadable 3-D controls library, the copy ctl3d32.tmp beside the
program is installed into the system directory as ctl3d32.dll and used:
registered with auto-subclassing at start, unregistered at the end."""
from pathlib import Path


def run(s):
    fake = Path(s.args.robot).parent / "fake_ctl3d.dll"
    s.media("ctl3d32.tmp", fake.read_bytes())
    s.script(f"""
        [Install]
        name=Sample Fonts
        BaseDir={s.dest}
        disks=0
        """)
    # Wine's own library is refused, so the program's copy is needed.
    s.app_setting("DllOverrides", "ctl3d32", "native")
    s.robot(f"""
        {s.past_options()}
        window Sample Fonts
        click ok
        gone
        """)
    system_dll = s.host(s.system + "\\ctl3d32.dll")
    original = system_dll.read_bytes()
    try:
        code = s.run()
        installed = system_dll.read_bytes()
    finally:
        system_dll.write_bytes(original)

    s.expect(code == 0, f"exit code {code}")
    s.expect(installed == fake.read_bytes(), "ctl3d32.tmp was not copied into the system directory")
    log = s.read(s.media_dir + "\\ctl3d.log").decode().split()
    s.expect(log == ["Ctl3dRegister", "Ctl3dAutoSubclass", "Ctl3dUnregister"],
             f"the library saw {log}")
