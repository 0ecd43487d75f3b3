"""A damaged archive: the error message names its full path, the
installation goes on, and everything else is installed. The archive's first
member is damaged: its file stays as far as it was written, and the member
after it is not extracted."""
import diskset


def run(s):
    with diskset.DiskSet(s, one_dir=True) as d:
        viewer = s.host(s.media_dir + "\\VIEWER.ARC")
        data = bytearray(viewer.read_bytes())
        for offset in range(8, 14):  # inside the first member's stream, which starts at 4
            data[offset] ^= 0xA5
        viewer.write_bytes(bytes(data))
        path = s.media_dir.lower() + "\\VIEWER.ARC"
        s.robot(f"""
            {s.past_options()}
            window Setup
            text message An error occurred while extracting files from '{path}'.
            shot extraction-error
            click ok
            gone
            window Sample Fonts
            text message Install Completed !
            click ok
            gone
            """)
        code = s.run(timeout=90)
        s.expect(code == 0, f"exit code {code}")
        d.check([a for a in diskset.ARCHIVES if a != "VIEWER.ARC"])
        damaged = d.target("VIEWER.ARC", "VIEW.EXE")
        s.expect(not damaged.exists() or damaged.read_bytes() != b"MZ viewer",
                 "the damaged member was extracted whole")
        s.expect(not d.target("VIEWER.ARC", "VIEW.INI").exists(), "the member after it is there")
        d.check_repaired(s.dest + "\\PSFONTS", ["A.FF1", "B.FF1", "C.FF1", "E.FF1", "F.FF1"])
    s.expect_backdrop(s.shot("extraction-error"))
