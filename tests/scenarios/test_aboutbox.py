"""The installed qzlabout.dll as the Delphi IDE calls it: the 32-bit host
qz_abouthost calls Execute with its TAppBuilder window in EAX and a decoy
where a stack argument would be, twice in one process, then unloads the
library. The box must be owned by the TAppBuilder window and show the
product key as the 32-bit product reads it."""
import pytest

import harness as h

# Written in the registry view the product reads.
KEY = r"HKLM\Software\Tarnwick\Orvane library"
LINKS = ["Main page", " on Tarnwick server.", "Order", " the full version online.", "Questions: ", "support forum"]
FULL = {"Version": "4.07", "Type": "trial version", "RootDir": "C:\\Qz"}

ROWS = [
    ("Delphi 3 and Delphi 7", dict(FULL, InstallVersions=0x101),
     "Orvane library\r\n trial version 4.07\r\n Install directory: C:\\Qz\r\n Install in: Delphi3,Delphi7"),
    ("no IDE", dict(FULL, InstallVersions=0),
     "Orvane library\r\n trial version 4.07\r\n Install directory: C:\\Qz\r\n Install in: "),
    ("an empty type reads as version; bits above the last IDE show nothing",
     {"Version": "4.07", "Type": "", "InstallVersions": 0x88000000},
     "Orvane library\r\n version 4.07\r\n Install in: RADStudio11"),
    ("a version without a type", {"Version": "4.07"}, "Orvane library\r\n"),
    ("no product key", None, "Orvane library\r\n"),
]


@pytest.fixture(scope="module")
def installed():
    folder = h.SCRATCH + "\\aboutbox\\Orvane"
    assert h.setup("/DIR=" + folder, "/IDES=", "/ITEMS=help")[0] == 0, h.failed_items(folder)
    yield folder
    driver = h.Driver()
    try:
        h.remove("QuietUninstallString", folder, driver)
    finally:
        driver.close()


def escaped(text):
    return text.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")


@pytest.mark.parametrize("values, text", [r[1:] for r in ROWS], ids=[r[0] for r in ROWS])
def test_the_ide_call_shows_the_product_key_in_a_box_owned_by_the_ide(installed, values, text):
    h.run("reg", "delete", KEY, h.VIEW, "/f")  # unchecked: a row before may have left no key
    for name, data in (values or {}).items():
        kind = "REG_DWORD" if isinstance(data, int) else "REG_SZ"
        assert h.run("reg", "add", KEY, "/v", name, "/t", kind, "/d", data, h.VIEW, "/f")[0] == 0
    code, output = h.run(h.program("qz_abouthost.exe"), installed + "\\Source\\qzlabout.dll", 2)
    box = ["owner app", "caption About Orvane library", "text 1 OK", "text 2 " + escaped(text),
           "text 6 Orvane library internet links:"] + ["text 0 " + link for link in LINKS] + ["stack kept"]
    assert output.splitlines() == ["call 1"] + box + ["call 2"] + box + ["unloaded yes"]
    assert code == 0
