"""Three damaged archives, one damage each: a member whose CRC-32 is wrong
(VIEWER.ARC, its second member), a stream cut short (DRIVER.ARC, its first
member), a directory that claims an entry more than it holds (TT.ARC). Each
gives the error message with the archive's full path, in the order of the
walk, and the installation goes on to "Install Completed !" with every
other archive. The member before the bad one stays complete and dated; the
bad member leaves no file, the members after it none either (the cut one
would have gone into the system directory); nothing else on the drive
changes."""
import diskset

DAMAGED = {"VIEWER.ARC": ("crc", "VIEW.INI"), "DRIVER.ARC": ("cut", "E2EDRV.DLL"),
           "TT.ARC": ("directory", None)}
ORDER = ["VIEWER.ARC", "TT.ARC", "DRIVER.ARC"]  # disk 1, then disk 2 in table order


def run(s):
    with diskset.DiskSet(s, one_dir=True) as d:
        for archive, (how, member) in DAMAGED.items():
            diskset.damage(s.host(f"{s.media_dir}\\{archive}"), how, member)
        errors = "".join(f"""
            window Setup
            text message An error occurred while extracting files from '{s.media_dir.lower()}\\{a}'.
            shot error-{a[:-4].lower()}
            click ok
            gone
            """ for a in ORDER)
        s.robot(f"""
            {s.past_options()}
            {errors}
            window Sample Fonts
            text message Install Completed !
            click ok
            gone
            """)
        code = s.run(timeout=90, watch=True)
        s.expect(code == 0, f"exit code {code}")
        whole = [a for a in diskset.ARCHIVES if a not in DAMAGED]
        d.check(whole, absent=["TT.ARC", "DRIVER.ARC"])
        view = d.target("VIEWER.ARC", "VIEW.EXE")
        s.expect(view.read_bytes() == d.original("VIEWER.ARC", "VIEW.EXE")
                 and view.stat().st_mtime == diskset.STAMP, "VIEW.EXE is not whole and dated")
        s.expect(not d.target("VIEWER.ARC", "VIEW.INI").exists(),
                 "the member with a bad CRC-32 is there")
        d.check_repaired(s.dest + "\\PSFONTS", ["A.FF1", "B.FF1", "C.FF1", "E.FF1", "F.FF1"])
        d.check_repaired(diskset.SYSTEM, ["E2ECONV1.FF1", "E2ECONV2.FF1"])
        s.expect_changes(d.written(whole + ["VIEWER.ARC"]))
    for archive in ORDER:
        s.expect_backdrop(s.shot(f"error-{archive[:-4].lower()}"))
