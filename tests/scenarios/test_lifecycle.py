"""Installations and removals as a whole, judged by pictures of the prefix:
the three removal routes of Windows' uninstall entry, a second installation
with other choices over the first, and setup killed from outside half-way."""
import contextlib
import os
import signal
import subprocess
import time
from pathlib import Path

import pytest

import harness as h

# Delphi 3 (help lines in its .cfg), Delphi 7 (keywords merged into its .als)
# and RAD Studio XE2 (separate Win32 and Win64 branches and compilers).
IDE_SET = ["Delphi3", "Delphi7", "RADStudio9"]
KEEPERS = [pattern for pattern, _ in h.KEEPERS]
FOLDER = h.SCRATCH + "\\lifecycle\\Orvane library"


@pytest.fixture(scope="module")
def ides():
    with h.fake_ides(h.SCRATCH + "\\lifecycle\\IDEs", IDE_SET) as roots:
        yield roots


@pytest.fixture(scope="module")
def clean(ides):
    """The prefix with the IDEs and without the product; what installations
    keep by design may differ from it later."""
    return h.picture()


OPTIONS = ["/DIR=" + FOLDER, "/IDES=" + ",".join(IDE_SET), "/ITEMS=help"]


def install():
    code, output = h.setup(*OPTIONS)
    assert code == 0, output + h.failed_items(FOLDER)


def test_round_trips_through_each_removal_route_leave_only_the_keepers(clean, driver):
    elsewhere = h.machine_keys_elsewhere()
    for route in ("UninstallString", "QuietUninstallString", "uninstaller"):
        install()
        assert h.machine_keys_elsewhere() == elsewhere, "the product wrote into the other registry view"
        assert "qzlLib|||Tarnwick Orvane library v4.07" in h.run(h.UNINSTALLER, "--list")[1]
        h.remove(route, FOLDER, driver)
        assert h.changes(clean, h.picture(), KEEPERS) == [], route
        assert "qzlLib" not in h.run(h.UNINSTALLER, "--list")[1], route


# Another folder, other IDEs and other items than the first installation.
SECOND = h.SCRATCH + "\\lifecycle\\Orvane second"
SECOND_OPTIONS = ["/DIR=" + SECOND, "/IDES=Delphi7", "/ITEMS=delphi-demos"]


def test_a_second_installation_with_other_choices_equals_one_with_those(clean, driver):
    code, output = h.setup(*SECOND_OPTIONS)
    assert code == 0, output + h.failed_items(SECOND)
    single = h.picture()
    h.remove("QuietUninstallString", SECOND, driver)
    install()
    code, output = h.setup(*SECOND_OPTIONS)
    assert code == 0, output + h.failed_items(SECOND)
    # What the first one's removal leaves on purpose may stay.
    assert h.changes(single, h.picture(), KEEPERS) == []
    h.remove("QuietUninstallString", SECOND, driver)
    assert h.changes(clean, h.picture(), KEEPERS) == []


def compilers_running():
    """Whether a program from the IDEs' folders runs: Wine shows a process's
    Windows command line as its Linux one."""
    running = False
    for path in Path("/proc").glob("[0-9]*/cmdline"):
        with contextlib.suppress(OSError):
            running = running or b"lifecycle\\IDEs" in path.read_bytes()
    return running


def records_of(log):
    return h.read_log(log.read_bytes())[0] if log.exists() else []


# Where setup is killed, by what uninst.log holds so far: spread over the
# script, before and after the uninstall entry exists, in the IDE blocks,
# among the closing deletions. None: during RAD Studio XE2's 64-bit compile,
# held by the stand-in, after the block's package registration and before
# its closing SelectProduct record.
KILL_POINTS = [
    ("before the uninstall entry", lambda r: len(r) >= 9),
    ("after the uninstall entry", lambda r: any(x[0] == 0x18012 for x in r)),
    ("after Delphi 7's package registration", lambda r: any(x[0] == 0x10008 and "Delphi7" in x[3] for x in r)),
    ("during RAD Studio XE2's 64-bit compile", None),
    ("in RAD Studio XE2's Win64 paths", lambda r: any(x[0] == 0x10026 and "Win64" in x[3] for x in r)),
    ("among the source deletions", lambda r: any(x[0] == 0x1000B and x[3].startswith("Source") for x in r)),
]


@pytest.mark.parametrize("point, written", KILL_POINTS, ids=[p[0] for p in KILL_POINTS])
def test_setup_killed_then_installed_again_and_removed_leaves_nothing(ides, clean, driver, point, written):
    log = h.host(FOLDER + "\\uninst.log")
    hold, held = (h.host(ides["RADStudio9"] + "\\bin\\dcc64." + name) for name in ("hold", "held"))
    if written is None:
        hold.write_bytes(b"")
    # At the lowest priority, so that a busy machine that holds back the
    # slices' ends below holds back setup more.
    setup = subprocess.Popen(["nice", "-n", "19", "wine", h.shipped("setup.exe"), "/VERYSILENT", *OPTIONS],
                             env=h.wine_env())
    if written is None:
        h.wait_until(held.exists, 60, point)
    else:
        # Setup runs in slices of a millisecond, so that it stops within a few
        # records of the point, however fast the script's tail runs.
        while setup.poll() is None and not written(records_of(log)):
            os.kill(setup.pid, signal.SIGCONT)
            time.sleep(0.001)
            os.kill(setup.pid, signal.SIGSTOP)
    setup.kill()
    assert setup.wait(30) == -9, "setup ended before the kill: " + point
    hold.unlink(missing_ok=True)
    # A compiler the killed setup started runs to its end, as it would for a
    # user who starts setup again.
    h.wait_until(lambda: not held.exists() and not compilers_running(), 60, "the killed setup's compiler to end")
    kept = records_of(log)

    install()
    h.remove("QuietUninstallString", FOLDER, driver)
    assert h.changes(clean, h.picture(), KEEPERS) == [], "%s (%d records)" % (point, len(kept))
