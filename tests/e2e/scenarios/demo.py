"""The demo (scripts/demo): the sample product of Sample Type Foundry, as the
windows build made it (samples/product beside SETUP.EXE), becomes a 1.44M
disk set with mkmedia, with the disks' images (their names and sizes are
shown), passes inicheck without a word, and SETUP.EXE installs
it from DISK1: intro, options, the run item's question (answered No), up to
"Install Completed !". The driver then shows what was installed: the files,
the fonts' face identifiers (ff1 show), the WIN.INI sections and the links
of the program group. Every file of the product is in place, the font
directory carries distinct identifiers, WIN.INI and the group are written.

With --manual you click through it yourself. Without --keep everything the
installation changed outside C:\\E2E is put back afterwards, so that the
other scenarios find the prefix as it was."""
from pathlib import Path

import sample


def run(s):
    disk1, product, script = sample.make_disks(s)
    files = sample.places(s, script, product)
    title = script["Install"]["name"]
    with sample.Saved(s, script, files) as saved:
        s.media_dir = disk1
        s.robot(sample.robot_steps(title))
        s.media_setup = True
        if s.args.ship_setup and Path(s.args.ship_setup).resolve() != Path(s.args.setup).resolve():
            # The disk keeps the SETUP.EXE that ships; the one run goes beside
            # it, given the sample's logo and credits by mkmedia likewise.
            s.exe = f"SETUP{s.bits}.EXE"
            sample.brand_setup(s, s.args.setup, disk1 + "\\" + s.exe)
        print(f"\nRunning {s.exe} ({s.bits}-bit) from {disk1} under Wine"
              + (": click through it" if s.args.manual else ", driven by the robot"))
        code = s.run(timeout=600 if s.args.manual else 60)
        print(f"{s.exe} ended with exit code {code}.\n")
        sample.show_files(s, files)
        lines, links = sample.show_settings(s, script, saved.group)
        print(f"On the host, drive C: is {s.wine.drive_c}")
        if s.shot_count:
            print(f"Screenshots: {s.shots}")
        s.expect(code == 0, f"exit code {code}")
        sample.check(s, script, files, lines, links)
