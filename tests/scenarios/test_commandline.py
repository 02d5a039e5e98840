"""setup.exe and untwk.exe as a deployment tool runs them: exit codes with
their reasons, paths with blanks, other alphabets and full length, DLLs
planted beside the programs, and extract mode."""
import pytest

import harness as h

IDE_ROOT = "C:\\Program Files\\Fake IDE"
# A command line that leaves a path with blanks unquoted starts one of these.
CANARIES = ["C:\\Program.exe", "C:\\Program Files\\Orvane.exe", "C:\\Program Files\\Fake.exe"]
MARKERS = [path.rsplit("\\", 1)[0] + "\\" + path.rsplit("\\", 1)[1][:-4].lower() + "-ran.txt" for path in CANARIES]


@pytest.fixture(scope="module")
def ides():
    """IDEs behind blanks, the canaries in place; XE2 lacks its 64-bit compiler."""
    with h.fake_ides(IDE_ROOT, ["Delphi7", "CBuilder6", "RADStudio9"], without64=["RADStudio9"]) as roots:
        for canary in CANARIES:
            h.write(canary, (h.BUILD / "bin" / "qz_standin.exe").read_bytes())
        # The trap works: unquoted, the compiler's path starts C:\Program.exe.
        h.run("cmd", "/c", roots["Delphi7"] + "\\bin\\dcc32.exe qzl70.dpk")
        assert h.host(MARKERS[0]).exists()
        h.host(MARKERS[0]).unlink()
        yield roots
        for path in CANARIES + MARKERS:
            h.host(path).unlink(missing_ok=True)


def text_of(path):
    data = h.host(path).read_bytes() if h.host(path).exists() else b""
    return data.decode("utf-8" if path.endswith(".txt") else "utf-16-le")


SETUP_EXITS = [
    ("help files only, with a progress window", ["/SILENT", "/IDES=", "/ITEMS=help"], 0,
     "Start installation for trial version of Orvane library v4.07"),
    ("an empty destination", ["/DIR="], 1, "/DIR=: the path is empty"),
    ("a relative destination", ["/DIR=relative\\dir"], 1, '/DIR: setup cannot install into "relative\\dir"'),
    ("the drive root", ["/DIR=C:\\"], 1, '/DIR: setup cannot install into "C:"'),
    ("an unknown IDE", ["/IDES=Delphi99"], 1, '/IDES: unknown IDE version "Delphi99"'),
    ("an IDE that is not installed", ["/IDES=Delphi3"], 1, "/IDES: Delphi3 is not installed on this computer"),
    ("a value for a switch", ["/FORCE=yes"], 1, "/FORCE=yes: this switch takes no value"),
    ("XE2 without its 64-bit compiler", ["/IDES=RADStudio9", "/ITEMS="], 2,
     "Compiling package, cannot find dcc64.exe: qzl160.dpk...Fail"),
    ("Delphi 7 running", ["/IDES=Delphi7", "/ITEMS="], 3, "Close the running IDEs first, or add /FORCE: Delphi 7"),
    ("Delphi 7 running, with /FORCE; its compiler started with default security", ["/IDES=Delphi7", "/ITEMS=", "/FORCE"],
     0, "Installed while these IDEs ran (/FORCE): Delphi 7"),
    ("a destination that cannot be created", ["/DIR=C:\\qz-scenarios\\bad|name"], 3,
     'Cannot create "C:\\qz-scenarios\\bad|name"'),
]


@pytest.mark.parametrize("args, code, text", [c[1:] for c in SETUP_EXITS], ids=[c[0] for c in SETUP_EXITS])
def test_setup_exit_code_and_log(scratch, ides, driver, args, code, text):
    folder, log = scratch + "\\Orvane", scratch + "\\setup.log"
    command = [h.shipped("setup.exe"), "/VERYSILENT", "/DIR=" + folder, "/LOG=" + log, *args]
    dacl = h.host(ides["Delphi7"] + "\\bin\\dcc32-dacl.txt")
    dacl.unlink(missing_ok=True)
    if "/IDES=Delphi7" in args:
        with h.running_ide(ides["Delphi7"], "Delphi7"):
            assert h.run(*command)[0] == code
    else:
        assert h.run(*command)[0] == code
    assert text in text_of(log)
    # setup runs elevated: a compiler it started with an access list open to
    # everyone could be taken over by any program of the session.
    assert "/FORCE" not in args or dacl.read_text().startswith("entries ")
    if code in (0, 2):
        h.remove("QuietUninstallString", folder, driver)


def stopping_log(folder):
    """Help registered with Help 2, whose unregistration batch is missing."""
    return h.log_bytes(folder, [(0x18001, 0, 3, ""), (0x10023, 0, 0, "help\\help_reg.bat")])


UNTWK_EXITS = [
    ("complete removal", [], "installed", 0, None),
    ("partial removal", ["/P"], "installed", 0, None),
    ("no log path", None, None, 1, "No file with uninstall info."),
    ("a missing log", [], "missing", 2, "Could not open {log} file."),
    ("an empty log", [], b"", 3, "Invalid {log} file."),
    ("a removal stopped at the help unregistration", [], stopping_log, 4,
     "The uninstall stopped before its end: {message}."),
]


@pytest.mark.parametrize("args, log_data, code, reason", [c[1:] for c in UNTWK_EXITS], ids=[c[0] for c in UNTWK_EXITS])
def test_untwk_exit_code_and_reason(scratch, driver, args, log_data, code, reason):
    folder = scratch + "\\Orvane"
    log = folder + "\\uninst.log"
    untwk = h.shipped("untwk.exe")
    h.host(folder).mkdir()
    if log_data == "installed":
        assert h.setup("/DIR=" + folder, "/IDES=", "/ITEMS=help")[0] == 0
        untwk = folder + "\\untwk.exe"
    elif log_data is not None and log_data != "missing":
        h.write(log, log_data(folder) if callable(log_data) else log_data)
    assert h.run(untwk, "/SILENT", *([] if args is None else args + [log]))[0] == code
    temp = "C:\\" + str(next(h.DRIVE_C.glob("users/*/Temp")).relative_to(h.DRIVE_C)).replace("/", "\\")
    reason_file = (folder if args is not None else temp) + "\\untwk-error.txt"
    if reason:
        expected = reason.format(log=log, message=driver("message", 2)[0].rstrip(" ."))
        assert text_of(reason_file) == expected + "\r\n"
    else:
        assert not h.host(reason_file).exists()
    if args == ["/P"]:  # the product key and the templates file stay, with untwk.exe
        assert h.values(h.PRODUCT_KEY)["Version"] == "4.07" and h.host("C:\\windows\\Orvane.ini").exists()
        assert [p.name for p in h.host(folder).iterdir()] == ["untwk.exe"]
        assert h.values(h.ENTRY_KEY) == {}
        h.reg_import(["[-%s]" % h.PRODUCT_KEY.rsplit("\\", 1)[0]])
        h.host("C:\\windows\\Orvane.ini").unlink()
    elif code == 0:
        h.wait_until(lambda: not h.host(folder).exists(), 30, "untwk and the installation folder to go")
        assert h.values(h.PRODUCT_KEY) == {} and h.values(h.ENTRY_KEY) == {}
    if code == 4:  # what came before the stopping record in the log is not undone
        assert h.host(folder).exists()


PATHS = [
    ("blanks behind C:\\Program Files", "C:\\Program Files\\Orvane Test", "UninstallString"),
    ("Greek and Chinese letters", "{scratch}\\Ωrvane 测试", "QuietUninstallString"),
    ("259 characters to the deepest file", None, "uninstaller"),
    ("what cmd would rewrite, removed from a batch file", "{scratch}\\bars %windir% 100%i (x) & ^y!\\Orvane", "batch"),
]


@pytest.mark.parametrize("folder, route", [c[1:] for c in PATHS], ids=[c[0] for c in PATHS])
def test_paths_install_and_remove_cleanly_and_start_no_canary(scratch, ides, driver, folder, route):
    folder = folder and folder.format(scratch=scratch)
    if folder is None:
        deepest = max(map(len, h.payload_tree())) + 1
        folder = (scratch + "\\" + "\\".join(["d" * 40] * 6))[:259 - deepest].rstrip("\\")
    h.host(folder).parent.mkdir(parents=True, exist_ok=True)  # only the installation folder is the product's
    before = h.picture()
    # The command line quoted as a deployment tool writes it.
    pid = driver("start", '"%s" /VERYSILENT /DIR="%s" /IDES=Delphi7,CBuilder6 /ITEMS=help,delphi-demos,cpp-demos'
                 % (h.shipped("setup.exe"), folder))[0]
    assert driver.exit_code(pid) == "0", h.failed_items(folder)
    deepest_written = max(len(str(p)) - len(str(h.DRIVE_C)) + 2 for p in h.host(folder).rglob("*"))
    assert deepest_written == 259 or len(folder) < 200
    h.remove(route, folder, driver)
    assert h.changes(before, h.picture(), [p for p, _ in h.KEEPERS]) == []
    assert [marker for marker in MARKERS if h.host(marker).exists()] == []


def test_dlls_planted_beside_setup_and_untwk_are_never_loaded(scratch, driver):
    # Wine takes its builtin DLLs before any file; these overrides make the
    # copies below take a native shell32.dll or uxtheme.dll wherever their
    # search finds one first.
    copies = {"planted-setup.exe": h.SHIPPED / "setup.exe", "planted-untwk.exe": h.SHIPPED / "untwk.exe",
              "plain-loader.exe": h.BUILD / "bin" / "qz_driver.exe"}
    keys = ["HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s\\DllOverrides" % name for name in copies]
    h.reg_import([line for key in keys for line in ("[%s]" % key, '"shell32"="native,builtin"',
                                                    '"uxtheme"="native,builtin"')])
    for name, built in copies.items():
        h.write(scratch + "\\" + name, built.read_bytes())
    for dll in ("shell32.dll", "uxtheme.dll"):
        h.write(scratch + "\\" + dll, (h.BUILD / "bin" / "qz_planted.dll").read_bytes())
    marker = h.host(scratch + "\\loaded.txt")
    try:
        # The trap works: a program that loads by name from its own folder.
        for dll in ("shell32.dll", "uxtheme.dll"):
            plain = h.Driver(scratch + "\\plain-loader.exe")
            plain("load", dll)
            assert plain.process.wait(30) == 99 and marker.exists(), dll
            marker.unlink()
        # Both read their command line through the delay-loaded shell32.
        assert h.run(scratch + "\\planted-setup.exe", "/VERYSILENT", "/DIR=")[0] == 1
        assert h.run(scratch + "\\planted-untwk.exe", "/SILENT", scratch + "\\missing.log")[0] == 2
        # The parameter box makes Wine's user32 load uxtheme.dll by name.
        pid = driver("start", '"%s" /?' % (scratch + "\\planted-setup.exe"))[0]
        h.wait_until(lambda: driver.dialogs(pid) or driver("wait", pid, 0) != ["running"], 30, "the parameter box")
        assert not marker.exists(), "setup /? loaded a planted DLL"
        driver("click", driver.dialog("Parameters description", pid, 1), 1)
        assert driver.exit_code(pid, 30) == "0"
        assert not marker.exists()
    finally:
        h.reg_import(["[-%s]" % key.rsplit("\\", 1)[0] for key in keys])


def test_extract_mode_writes_exactly_the_payload_tree(scratch):
    folder = scratch + "\\extract"
    h.write(folder + "\\mine.txt", "the user's")
    h.write(folder + "\\ReadMe.txt", "an older copy")
    before = h.export(h.EXPORTED)
    assert h.run(h.shipped("setup.exe"), "/X", cwd=folder)[0] == 0
    tree = {name.lower(): source for name, source in h.payload_tree().items()}
    written = {str(p.relative_to(h.host(folder))).replace("/", "\\").lower(): p for p in h.host(folder).rglob("*")}
    assert written.pop("mine.txt").read_text() == "the user's"
    assert sorted(set(written) ^ set(tree)) == []
    assert [name for name, source in tree.items() if source and source.read_bytes() != written[name].read_bytes()] == []
    assert h.export(h.EXPORTED) == before
