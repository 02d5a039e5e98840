"""Installations and removals as a whole, judged by pictures of the prefix:
the three removal routes of Windows' uninstall entry, a second installation
over the first, and setup killed from outside half-way."""
import subprocess

import pytest

import harness as h

# Delphi 3 (help lines in its .cfg), Delphi 7 (keywords merged into its .als)
# and RAD Studio XE2 (separate Win32 and Win64 branches and compilers).
IDE_SET = ["Delphi3", "Delphi7", "RADStudio9"]
KEEPERS = [pattern for pattern, _ in h.KEEPERS]


@pytest.fixture(scope="module")
def ides():
    with h.fake_ides(h.SCRATCH + "\\lifecycle-IDEs", IDE_SET) as roots:
        yield roots


def options(folder):
    return ["/DIR=" + folder, "/IDES=" + ",".join(IDE_SET), "/ITEMS=help"]


def install(folder):
    code, output = h.setup(*options(folder))
    log = h.host(folder + "\\install.log")
    assert code == 0, output + (log.read_bytes().decode("utf-16-le") if log.exists() else "")


def test_round_trips_through_each_removal_route_leave_only_the_keepers(scratch, ides, driver):
    folder = scratch + "\\Orvane library"
    before = h.picture()
    for route in ("UninstallString", "QuietUninstallString", "uninstaller"):
        install(folder)
        assert "qzlLib|||Tarnwick Orvane library v4.07" in h.run("uninstaller", "--list")[1]
        h.remove(route, folder, driver)
        assert h.changes(before, h.picture(), KEEPERS) == [], route
        assert "qzlLib" not in h.run("uninstaller", "--list")[1], route


def test_a_second_installation_over_the_first_equals_one(scratch, ides, driver):
    folder = scratch + "\\Orvane library"
    install(folder)
    once = h.picture()
    install(folder)
    assert h.changes(once, h.picture()) == []
    h.remove("QuietUninstallString", folder, driver)


def records_of(log):
    return h.read_log(log.read_bytes()) if log.exists() else []


# Where setup is killed, by what uninst.log holds so far: spread over the
# script, before and after the uninstall entry exists, in the IDE blocks,
# among the closing deletions. None: during a compile, held by the stand-in.
KILL_POINTS = [
    ("before the uninstall entry", lambda r: len(r) >= 9),
    ("after the WinHelp registration", lambda r: any(x[0] == 0x1000C for x in r)),
    ("after the uninstall entry", lambda r: any(x[0] == 0x18012 for x in r)),
    ("during a compile of Delphi 7", None),
    ("after Delphi 7's package registration", lambda r: any(x[0] == 0x10008 and "Delphi7" in x[3] for x in r)),
    ("in RAD Studio XE2's Win64 paths", lambda r: any(x[0] == 0x10026 and "Win64" in x[3] for x in r)),
    ("among the source deletions", lambda r: any(x[0] == 0x1000B and x[3].startswith("Source") for x in r)),
]


@pytest.mark.parametrize("point, written", KILL_POINTS, ids=[p[0] for p in KILL_POINTS])
def test_setup_killed_then_installed_again_and_removed_leaves_nothing(scratch, ides, driver, point, written):
    folder = scratch + "\\Orvane library"
    log = h.host(folder + "\\uninst.log")
    hold, held = (h.host(ides["Delphi7"] + "\\bin\\" + name) for name in ("hold", "held"))
    before = h.picture()
    if written is None:
        hold.write_bytes(b"")
    setup = subprocess.Popen(["wine", h.program("setup.exe"), "/VERYSILENT", *options(folder)], env=h.wine_env())
    h.wait_until(held.exists if written is None else lambda: written(records_of(log)) or setup.poll() is not None,
                 60, point)
    setup.kill()
    assert setup.wait(30) == -9, "setup ended before the kill: " + point
    hold.unlink(missing_ok=True)
    h.wait_until(lambda: not held.exists(), 60, "the held compile to end")
    kept = records_of(log)

    install(folder)
    h.remove("QuietUninstallString", folder, driver)
    assert h.changes(before, h.picture(), KEEPERS) == [], "%s (%d records)" % (point, len(kept))
