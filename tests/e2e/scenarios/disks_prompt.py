"""Three disks in three directories, started from disk 1: the extraction
window shows the first archive mid-way; the prompt for disk 2 says "Insert
Disk 2" over the current source directory; the robot first answers with
the wrong disk's directory (disk 3's), and the prompt comes back for disk 2
over it; then it types disk 2's directory, then disk 3's likewise. Every
file lands where its package says with its stored date, the font directory
and the system directory are repaired, the TTF and DLL packages are not;
nothing else on the drive changes; the time from start to "Install
Completed !" is printed."""
import diskset

# Three disks and two prompts: more than the usual 90 s on a busy machine.
TIMEOUT = 150

EVERY = list(diskset.ARCHIVES)
FONTS = ["A.FF1", "B.FF1", "C.FF1", "E.FF1", "F.FF1"]


def run(s):
    with diskset.DiskSet(s, big=True) as d:
        first = d.dirs[1].lower() + "\\FONTS1.ARC"
        disk1, disk2, disk3 = (d.dirs[n].lower() + "\\" for n in (1, 2, 3))
        s.robot(f"""
            {s.past_options()}
            window-with {first}
            shot extraction
            window Disk Needed
            text 111 Insert Disk 2
            text 112 {disk1.upper()}
            shot disk-prompt
            set 112 {d.dirs[3]}
            click ok
            gone
            window Disk Needed
            text 111 Insert Disk 2
            text 112 {disk3.upper()}
            shot disk-prompt-again
            set 112 {d.dirs[2]}
            click ok
            gone
            window Disk Needed
            text 111 Insert Disk 3
            text 112 {disk2.upper()}
            set 112 {d.dirs[3]}
            click ok
            gone
            window Sample Fonts
            text message Install Completed !
            shot final-message
            click ok
            gone
            """)
        code = s.run(timeout=150, watch=True)
        s.expect(code == 0, f"exit code {code}")
        d.check(EVERY)
        d.check_repaired(s.dest + "\\PSFONTS", FONTS)
        d.check_repaired(diskset.SYSTEM, ["E2ECONV1.FF1", "E2ECONV2.FF1"])
        expected = sorted(["readme.txt", "PSFONTS\\fontnam.dat", "PSFONTS\\SAMPLES.DAT",
                           "PSFONTS\\DOCS\\GUIDE.TXT"] + [f"PSFONTS\\{f}" for f in FONTS])
        s.expect(d.dest_files() == expected, f"the destination holds {d.dest_files()}")
        s.expect_changes(d.written(EVERY))

    # Mid-way: both bars show blue beside yellow.
    colours = s.colours(s.shot("extraction"))
    s.expect(colours.get((0, 0, 255), 0) > 100 and colours.get((255, 255, 0), 0) > 100,
             "the extraction window's bars are not mid-way")
    s.expect_backdrop(s.shot("disk-prompt"))
    s.expect_backdrop(s.shot("disk-prompt-again"))
    print(f"scenario 1: {s.elapsed('shot final-message'):.1f} s from start to "
          "\"Install Completed !\" (intro clicked away at once)")
