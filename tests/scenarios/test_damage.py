"""Uninstall logs that cannot be trusted, and a destination folder set against
setup: the installation's own things may go, nothing outside it does, and a
failing item is reported while the walk goes on."""
import os
import random
import re
import subprocess

import harness as h

SEED = 407  # fixed, so that a failing sample can be made again
REINSTALLED = 10


def damaged(real):
    """Truncations at every record boundary (each a shorter valid log) and at
    random offsets, and random bytes XORed with random values: (name, bytes)."""
    rng, samples, pos = random.Random(SEED), [], 7
    for record in h.read_log(real)[0]:
        pos += 16 + len(record[3].encode("utf-8"))
        samples.append(("cut at record end %d" % pos, real[:pos]))
    while len(samples) < 300:
        at = rng.randrange(len(real))
        samples.append(("cut at %d" % at, real[:at]))
        at, mask = rng.randrange(len(real)), rng.randrange(1, 256)
        samples.append(("byte %d ^ 0x%02x" % (at, mask), real[:at] + bytes([real[at] ^ mask]) + real[at + 1:]))
    return samples


def crafted(folder, outside):
    """Logs made by hand to aim at folders the installation never owned."""
    parent = folder.rsplit("\\", 1)[0]
    return [("installation directory " + name, h.log_bytes(target, [
        (0x18001, 0, 3, ""), (0x18001, 0, 3, "qz-canary"), (0x1000B, 0, 3, "qz-canary.txt")]))
            for name, target in (("C:\\", "C:\\"), ("Windows", "C:\\windows"), ("system", "C:\\windows\\system32"))] + [
        ("texts climbing out with ..", h.log_bytes(folder, [
            (0x18001, 0, 3, "..\\" + outside.rsplit("\\", 1)[1]), (0x1000B, 0, 3, "..\\keep.txt")])),
        ("absolute texts", h.log_bytes(folder, [
            (0x18001, 0, 3, outside), (0x1000B, 0, 0, parent + "\\keep.txt"), (0x1000B, 0, 3, "C:\\qz-canary.txt")])),
        ("folders of other kinds", h.log_bytes(folder, [(0x18001, 0, kind, "") for kind in (0, 1, 2, 4, 5, 6)])),
    ]


def untwk_runs(untwk, logs):
    """Runs untwk /SILENT on each log, from four batch files side by side (a
    run spends much of its time waiting): the exit codes."""
    lines = ['"%s" /SILENT "%s"\r\necho %d %%errorlevel%%' % (untwk, log, i) for i, log in enumerate(logs)]
    outputs = "".join(output for _, output in h.run_batches([lines[k::4] for k in range(4)]))
    codes = {int(i): int(code) for i, code in re.findall(r"^(\d+) (-?\d+)\r?$", outputs, re.M)}
    assert len(codes) == len(logs), outputs
    return [codes[i] for i in range(len(logs))]


def test_damaged_and_crafted_logs_delete_nothing_outside_the_installation(scratch, driver):
    folder, outside = scratch + "\\Orvane", scratch + "\\Orvane beside"
    canaries = [scratch + "\\keep.txt", outside + "\\Source\\qzlConsts.pas", outside + "\\untwk.exe",
                "C:\\qz-canary.txt", "C:\\windows\\qz-canary.txt"]
    # The system folder as the programs name it, and where a 32-bit program's writes there land.
    canaries += sorted({"C:\\windows\\system32\\qz-canary.txt", h.SYSTEM + "\\qz-canary.txt"})
    canary_keys = [r"HKEY_LOCAL_MACHINE\Software\Tarnwick\Canary", h.ENTRY_KEY[:-6] + "qzCanary"]
    for path in canaries:
        h.write(path, "canary")
    h.reg_import([line for key in canary_keys for line in ("[%s]" % key, '"keep"="1"')]
                 + ["[%s]" % h.WINHELP_KEY, '"canary.hlp"="C:\\\\Help"'])
    try:
        with h.fake_ides(scratch + "\\IDEs", ["Delphi7"]) as ides:
            canaries.append(ides["Delphi7"] + "\\qz-canary.txt")
            h.write(canaries[-1], "canary")
            options = ["/DIR=" + folder, "/IDES=Delphi7", "/ITEMS=help"]
            before = h.picture()
            assert h.setup(*options)[0] == 0, h.failed_items(folder)
            real = h.host(folder + "\\uninst.log").read_bytes()
            untwk = scratch + "\\untwk.exe"  # outside: it never removes itself
            h.write(untwk, h.host(folder + "\\untwk.exe").read_bytes())
            cases = damaged(real) + crafted(folder, outside)
            logs = [scratch + "\\logs\\%d\\uninst.log" % i for i in range(len(cases))]
            for log, (_, data) in zip(logs, cases):
                h.write(log, data)
            refused = [i for i, (_, data) in enumerate(cases) if not h.read_log(data)[1]]
            taken = [i for i in range(len(cases)) if i not in refused]
            assert len(refused) > 100 and len(taken) > 60

            installed = h.picture()
            codes = untwk_runs(untwk, [logs[i] for i in refused])
            wrong = [cases[i][0] for i, code in zip(refused, codes)
                     if code != 3 or h.host(logs[i][:-10] + "untwk-error.txt").read_bytes()
                     != b"Invalid %s file.\r\n" % logs[i].encode()]
            assert wrong == [], "refused logs without exit code 3 and their reason"
            assert h.changes(installed, h.picture(), [r"[FD] qz-scenarios/[^/]+/logs/.*"]) == [], "undone from refused logs"

            codes = untwk_runs(untwk, [logs[i] for i in taken])
            assert [cases[i][0] for i, code in zip(taken, codes) if code not in (0, 4)] == []
            assert [path for path in canaries if not h.host(path).exists()] == []

            # Through setup's removal of the previous version too, for a sample:
            # each costs a whole installation, and the deinstaller is the same.
            assert h.setup(*options)[0] == 0, h.failed_items(folder)
            for name, data in random.Random(SEED).sample(cases, REINSTALLED):
                h.write(folder + "\\uninst.log", data)
                assert h.setup(*options)[0] == 0, name + "\n" + h.failed_items(folder)
                assert [path for path in canaries if not h.host(path).exists()] == [], name
            exported = h.export(canary_keys + [h.WINHELP_KEY])
            assert [k for k in canary_keys if k not in exported] == []
            assert exported[h.WINHELP_KEY].get("canary.hlp") == "C:\\Help"
            h.remove("QuietUninstallString", folder, driver)
            assert h.changes(before, h.picture(), [p for p, _ in h.KEEPERS] + [r"[FD] qz-scenarios/[^/]+/(logs|untwk).*"]) == []
    finally:
        for path in canaries:
            h.host(path).unlink(missing_ok=True)
        h.reg_import(["[-%s]" % key for key in canary_keys] + ["[%s]" % h.WINHELP_KEY, '"canary.hlp"=-'])


def test_hostile_folder_items_fail_with_the_systems_message_and_the_walk_goes_on(scratch, driver):
    folder = scratch + "\\Orvane lib"
    targets = {"ReadMe.txt": "mine", "License.txt": "mine", "Help": "a file where the script puts a folder",
               "mine.txt": "the user's"}
    for name, text in targets.items():
        h.write(folder + "\\" + name, text)
    # Wine lets root write a file whose read-only attribute is set; the
    # immutable flag makes it read-only for root as well. A file system
    # without that flag gets a reader that shares nothing instead.
    read_only = h.host(folder + "\\ReadMe.txt")
    os.chmod(read_only, 0o444)
    immutable = subprocess.run(["chattr", "+i", str(read_only)], stderr=subprocess.DEVNULL).returncode == 0
    held = [folder + "\\License.txt"] + ([] if immutable else [folder + "\\ReadMe.txt"])
    try:
        assert [driver("hold", path) for path in held] == [["ok"]] * len(held)
        code, output = h.setup("/DIR=" + folder, "/IDES=", "/ITEMS=help")
        for path in held:
            driver("release", path)
    finally:
        subprocess.run(["chattr", "-i", str(read_only)], stderr=subprocess.DEVNULL)
    log = h.host(folder + "\\install.log").read_bytes().decode("utf-16-le")
    assert code == 2, output

    for head, error in (("Copying file: " + folder + "\\ReadMe.txt", 5 if immutable else 32),
                        ("Copying file: " + folder + "\\License.txt", 32),
                        ("Creating directory: " + folder + "\\Help", None),
                        ("Copying file: " + folder + "\\Help\\qzlib.hlp", None)):
        line = next((x for x in log.split("\r\n") if x.startswith(head + "...Fail. ")), None)
        assert line, head
        note = log.index("with text\r\n" + line)
        error_code = int(log[log.rindex("ErrorCode=", 0, note) + 10:].split("h", 1)[0], 16)
        assert error in (None, error_code), line
        assert line == head + "...Fail. " + driver("message", error_code)[0].rstrip(" ."), line
    for name, text in targets.items():
        assert h.host(folder + "\\" + name).read_text() == text, name
    for later in ("Source\\qzl.inc", "Source\\qzlabout.dll", "untwk.exe", "uninst.log"):
        assert h.host(folder + "\\" + later).exists(), later
    assert h.entry_command("UninstallString").endswith('\\uninst.log"')
    assert h.host("C:\\windows\\Orvane.ini").exists()
