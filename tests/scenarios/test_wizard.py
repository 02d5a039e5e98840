"""The real setup.exe wizard, driven from outside as a user drives it: the
product's whole script into fake IDEs with one of them unchecked, what it
leaves, and a next start that presets from it."""
import harness as h

WIZARD = "Installation Wizard for Orvane library v4.07"
IDC_NEXT, IDC_CANCEL, IDC_TEXT, IDC_DIRECTORY, IDC_VERSIONS = 1000, 2, 256, 1010, 1013
# The selection rows in display order: name, item bit (InstallItems), catalogue
# bit of its IDE (InstallVersions), as a previous installation stored them.
ROWS = [
    ("RAD Studio 11", 0x20000000, 0x8000000), ("RAD Studio XE10.4", 0x10000000, 0x4000000),
    ("RAD Studio XE10.3", 0x8000000, 0x2000000), ("RAD Studio XE10.2", 0x4000000, 0x1000000),
    ("RAD Studio XE10.1", 0x2000000, 0x800000), ("RAD Studio XE10", 0x1000000, 0x400000),
    ("RAD Studio XE8", 0x800000, 0x200000), ("RAD Studio XE7", 0x400000, 0x100000),
    ("RAD Studio XE6", 0x200000, 0x80000), ("RAD Studio XE5", 0x100000, 0x40000),
    ("RAD Studio XE4", 0x80000, 0x20000), ("RAD Studio XE3", 0x40000, 0x10000),
    ("RAD Studio XE2", 0x20000, 0x8000), ("RAD Studio XE", 0x10000, 0x4000),
    ("RAD Studio 2010", 0x8000, 0x2000), ("CodeGear RAD Studio 2009", 0x4000, 0x1000),
    ("CodeGear RAD Studio 2007", 0x2000, 0x800), ("Borland Developer Studio 2006", 0x1000, 0x400),
    ("Delphi 2005", 0x800, 0x200), ("Delphi 7", 0x400, 0x100), ("Delphi 6", 0x8, 0x40), ("Delphi 5", 0x4, 0x4),
    ("Delphi 4", 0x2, 0x2), ("Delphi 3", 0x1, 0x1), ("C++Builder 6", 0x40, 0x80), ("C++Builder 5", 0x20, 0x20),
    ("C++Builder 4", 0x10, 0x10), ("Context help files", 0x80, 0), ("Delphi demo projects", 0x100, 0),
    ("C++Builder demo projects", 0x200, 0),
]
# make, dcc32, and dcc32 with dcc64; Delphi 3 gets unchecked.
INSTALLED = ["Delphi3", "CBuilder6", "Delphi7", "RADStudio9"]
UNCHECKED, UNCHECKED_IDE = "Delphi 3", "Delphi3"


def start(driver):
    pid = driver("start", h.shipped("setup.exe"))[0]
    return pid, driver.dialog(WIZARD, pid)


def checked_rows(driver, wizard):
    answer = driver("rows", wizard, IDC_VERSIONS)
    return [(answer[i + 1], int(answer[i]) & 1 == 1, int(answer[i]) & 4 == 0) for i in range(0, len(answer) - 1, 2)]


def run_script(driver, pid, wizard):
    """Start, then the progress page until Finish shows; every message box of
    setup meanwhile is a script error, answered so that the walk goes on."""
    driver("click", wizard, IDC_NEXT)
    errors = []

    def finished():
        for box in driver.dialogs(pid):
            if box[0] != wizard:
                errors.append(box[2])
                driver("click", box[0], 1)
        return driver("text", wizard, IDC_CANCEL) == ["Finish"]
    h.wait_until(finished, 120, "the finish page")
    return errors


def packages(ide, folder):
    """The packages an IDE block builds and where their copies go."""
    out, rt = folder + "\\" + ide.folder + ("\\Win32" if ide.kind == "x64" else ""), "qzl" + ide.suffix
    ext = "dpl" if ide.kind == "d3" else "bpl"
    built = [out + "\\%s.%s" % (name, ext) for name in (rt, "dcl" + rt)]
    built += [folder + "\\%s\\Win64\\%s.bpl" % (ide.folder, rt)] if ide.kind == "x64" else []
    return built, h.SYSTEM + "\\%s.%s" % (rt, ext)


def test_wizard_installs_into_the_chosen_ides_and_the_next_start_presets_from_it(scratch, driver):
    folder = scratch + "\\Orvane"
    with h.fake_ides(scratch + "\\IDEs", INSTALLED) as ides:
        keys = {name: "HKEY_CURRENT_USER\\" + h.REG_KEYS[name] for name in INSTALLED}
        before = h.export([keys[UNCHECKED_IDE]])
        elsewhere = h.machine_keys_elsewhere()
        pid, wizard = start(driver)
        assert driver("press", wizard, IDC_NEXT) == ["ok"]
        installed_bits = {h.IDES[name].bit for name in INSTALLED}
        assert checked_rows(driver, wizard) == [(name, ide in installed_bits or ide == 0, ide in installed_bits or ide == 0)
                                                for name, _, ide in ROWS]
        driver("clickrow", wizard, IDC_VERSIONS, [r[0] for r in ROWS].index(UNCHECKED))
        chosen = [row for row, state in zip(ROWS, checked_rows(driver, wizard)) if state[1]]
        assert UNCHECKED not in [row[0] for row in chosen]
        driver("press", wizard, IDC_NEXT)
        driver("settext", wizard, IDC_DIRECTORY, folder)
        driver("press", wizard, IDC_NEXT)
        assert driver("text", wizard, IDC_NEXT) == ["Start"]
        assert run_script(driver, pid, wizard) == []

        # Before Finish: files, compiled packages and their copies.
        for name in INSTALLED[1:]:
            built, copy = packages(h.IDES[name], folder)
            assert [path for path in built if not h.host(path).exists()] == [], name
            assert h.host(copy).read_bytes() == h.host(built[0]).read_bytes(), copy
        for path in ("untwk.exe", "uninst.log", "Source\\qzlabout.dll", "Help\\qzlib.hlp"):
            assert h.host(folder + "\\" + path).exists(), path
        # A 32-bit program's system folder on 64-bit Windows is SysWOW64, not system32.
        assert h.SYSTEM == "C:\\windows\\system32" or list(h.host("C:\\windows\\system32").glob("qzl*")) == []
        assert not h.host(folder + "\\" + h.IDES[UNCHECKED_IDE].folder).exists()
        assert not h.host(packages(h.IDES[UNCHECKED_IDE], folder)[1]).exists()
        # Each chosen IDE knows its design-time package and searches its folders.
        values = h.export(list(keys.values()))
        for name in INSTALLED[1:]:
            ide, key = h.IDES[name], keys[name]
            design = packages(ide, folder)[0][1]
            assert values[key + "\\Known Packages"] == {design: "Trial version of Orvane library v4.07"}, name
            library = values[key + "\\Library" + ("\\Win32" if ide.kind == "x64" else "")]["Search Path"]
            assert design.rsplit("\\", 1)[0].lower() in h.path_list(library), name
        assert (folder + "\\Source").lower() in h.path_list(values[keys["CBuilder6"] + "\\Library"]["Search Path"])
        xe2 = keys["RADStudio9"]
        assert (folder + "\\RADStudio9\\Win64").lower() in h.path_list(values[xe2 + "\\Library\\Win64"]["Search Path"])
        assert (folder + "\\RADStudio9\\Win32").lower() in h.path_list(values[xe2 + "\\C++\\Paths\\Win32"]["IncludePath"])
        assert h.export([keys[UNCHECKED_IDE]]) == before
        assert h.machine_keys_elsewhere() == elsewhere
        # The logs' first bytes: install.log UTF-16LE without byte-order mark,
        # CR LF lines, its three header lines; uninst.log's header and product records.
        log = h.host(folder + "\\install.log").read_bytes()
        assert log.startswith(("Start installation for trial version of Orvane library v4.07\r\nRootPath: %s\r\n"
                               "Borland products: CBuilder6,Delphi7,RADStudio9\r\n" % folder).encode("utf-16-le"))
        lines = log.decode("utf-16-le").split("\r\n")
        assert lines[-1] == "" and [line for line in lines if "\r" in line or "\n" in line] == []
        assert h.host(folder + "\\uninst.log").read_bytes().startswith(h.log_bytes(folder, []))
        # The uninstall entry and the product key, with their values' types.
        entry = h.values(h.ENTRY_KEY)
        assert entry.pop("EstimatedSize").startswith("dword:")
        assert entry == {
            "DisplayName": "Tarnwick Orvane library v4.07", "DisplayVersion": "4.07", "Publisher": "Tarnwick",
            "UninstallString": "%s\\untwk.exe %s\\uninst.log" % (folder, folder),
            "QuietUninstallString": "%s\\untwk.exe /SILENT %s\\uninst.log" % (folder, folder),
            "InstallLocation": folder, "DisplayIcon": folder + "\\untwk.exe", "NoModify": "dword:00000001",
            "NoRepair": "dword:00000001", "URLInfoAbout": "https://www.tarnwick.example/orvane/"}
        today = h.run("cmd", "/c", "date", "/t")[1].split()[-1]
        versions = items = 0
        for _, item, ide in chosen:
            versions, items = versions | ide, items | item
        assert h.values(h.PRODUCT_KEY) == {
            "RootDir": folder, "InstallVersions": "dword:%08x" % versions, "InstallItems": "dword:%08x" % items,
            "Version": "4.07", "Type": "trial version", "InstallDate": today, "CustomizeItems": "dword:00000005"}
        driver("click", wizard, IDC_CANCEL)  # Finish
        assert driver.exit_code(pid, 30) == "0"

        # The next start presets the rows and the folder from that installation.
        pid, wizard = start(driver)
        driver("press", wizard, IDC_NEXT)
        assert driver("text", wizard, IDC_TEXT)[0].startswith("The previous version of Orvane library was found.")
        assert [row for row, state in zip(ROWS, checked_rows(driver, wizard)) if state[1]] == chosen
        driver("press", wizard, IDC_NEXT)
        assert driver("text", wizard, IDC_DIRECTORY) == [folder]
        driver("click", wizard, IDC_CANCEL)
        question = driver.dialog("Install", pid)
        assert dict((box[0], box[2]) for box in driver.dialogs(pid))[question] == "Are you sure you want to cancel the install?"
        driver("click", question, 6)  # Yes
        assert driver.exit_code(pid, 30) == "0"
        h.remove("QuietUninstallString", folder, driver)
