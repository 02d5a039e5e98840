"""The IDE versions the Orvane library knows and the extra items of setup:
one row each. gen_script.py makes every table of the product from these
rows: the catalogue, the selection list, the about box's labels, the
unattended item names, the install script and the payload.
"""


class Ide:
    """One IDE version.

    bit       its catalogue bit (InternalId, InstallVersions); the catalogue
              lists the versions by this bit, so the n-th bit is entry n + 1
    key       where it keeps its settings, below HKLM/HKCU\\Software
    row_bit   its bit in the selection list (InstallItems, IfItem codes);
              None for a version the library is not installed into
    row       its row in the selection list
    label     its name in the about box's "Install in" line
    kind      its compiler and platforms: 'd3' (Delphi 3), 'delphi' (Delphi
              4-7), 'cb' (C++Builder, make), 'bds' (Delphi 2005 to XE, dcc32),
              'x64' (XE2 on, dcc32 and dcc64, Win32 and Win64 folders)
    suffix    of its package names: qzl<suffix> and dclqzl<suffix>
    help      its WinHelp configuration files, in the IDE's Help folder
    """

    def __init__(self, name, bit, key, row_bit, row, label, kind, suffix, help=(), folder=None,
                 make_ext=None, cpp=None, clx=False, help2=False, guard64=False):
        self.name, self.bit, self.key, self.row_bit, self.row, self.label = name, bit, key, row_bit, row, label
        self.kind, self.suffix, self.help_files, self.folder = kind, suffix, help, folder or name
        # make_ext: the C++Builder project's extension; cpp: how a version
        # with C++ gets the headers ('move' them to its folder, 'cpppaths'
        # also adds its folder to the C++ paths); clx: the CLX units come
        # along; help2: the Help 2 files come with the help item; guard64:
        # the 64-bit compiler is optional and looked for first.
        self.make_ext, self.cpp, self.clx, self.help2, self.guard64 = make_ext, cpp, clx, help2, guard64
        assert bit & (bit - 1) == 0 and bit, name
        self.entry = bit.bit_length()

    @property
    def rt(self):
        return "qzl" + self.suffix

    @property
    def dcl(self):
        return "dclqzl" + self.suffix

    @property
    def package_ext(self):
        return "dpl" if self.kind == "d3" else "bpl"

    @property
    def is_delphi(self):
        return self.kind != "cb"


# In the order of the install script's IDE blocks. The 10.4 block closes
# them: RAD Studio 11 was slotted in before it.
IDES = [
    Ide("Delphi3", 0x1, r"Borland\Delphi\3.0", 0x1, "Delphi 3", "Delphi3", "d3", "30", ("delphi3.cfg",),
        folder="delphi3"),
    Ide("Delphi4", 0x2, r"Borland\Delphi\4.0", 0x2, "Delphi 4", "Delphi4", "delphi", "40",
        ("delphi4.cfg", "delphi4.ohi", "delphi4.ohl")),
    Ide("Delphi5", 0x4, r"Borland\Delphi\5.0", 0x4, "Delphi 5", "Delphi5", "delphi", "50",
        ("delphi5.ohi", "delphi5.ohl")),
    Ide("CBuilder3", 0x8, r"Borland\C++Builder\3.0", None, None, "CBuilder3", "cb", None),
    Ide("CBuilder4", 0x10, r"Borland\C++Builder\4.0", 0x10, "C++Builder 4", "CBuilder4", "cb", "40",
        ("bcb4.cfg", "bcb4.ohi", "bcb4.ohl"), make_ext="bpk"),
    Ide("CBuilder5", 0x20, r"Borland\C++Builder\5.0", 0x20, "C++Builder 5", "CBuilder5", "cb", "50",
        ("bcb5.ohi", "bcb5.ohl"), make_ext="mak"),
    Ide("Delphi6", 0x40, r"Borland\Delphi\6.0", 0x8, "Delphi 6", "Delphi6", "delphi", "60",
        ("delphi6.ohi", "delphi6.ohl", "delphi6.als"), clx=True),
    Ide("CBuilder6", 0x80, r"Borland\C++Builder\6.0", 0x40, "C++Builder 6", "CBuilder6", "cb", "60",
        ("bcb6.ohi", "bcb6.ohl", "bcb6.als"), make_ext="bpk", clx=True),
    Ide("Delphi7", 0x100, r"Borland\Delphi\7.0", 0x400, "Delphi 7", "Delphi7", "delphi", "70",
        ("d7.ohi", "d7.ohl", "d7.als"), clx=True),
    Ide("Delphi9", 0x200, r"Borland\BDS\3.0", 0x800, "Delphi 2005", "Delphi2005", "bds", "90"),
    Ide("BDS2006", 0x400, r"Borland\BDS\4.0", 0x1000, "Borland Developer Studio 2006", "BDS2006", "bds", "2006",
        cpp="move", help2=True),
    Ide("Delphi2007", 0x800, r"Borland\BDS\5.0", 0x2000, "CodeGear RAD Studio 2007", "Delphi2007", "bds", "2007",
        cpp="cpppaths"),
    Ide("BDS2009", 0x1000, r"CodeGear\BDS\6.0", 0x4000, "CodeGear RAD Studio 2009", "RADStudio2009", "bds", "2009",
        cpp="cpppaths"),
    Ide("BDS2010", 0x2000, r"CodeGear\BDS\7.0", 0x8000, "RAD Studio 2010", "RADStudio2010", "bds", "2010",
        cpp="cpppaths"),
    Ide("RADStudio8", 0x4000, r"Embarcadero\BDS\8.0", 0x10000, "RAD Studio XE", "XE", "bds", "150", cpp="cpppaths"),
    Ide("RADStudio9", 0x8000, r"Embarcadero\BDS\9.0", 0x20000, "RAD Studio XE2", "XE2", "x64", "160"),
    Ide("RADStudio10", 0x10000, r"Embarcadero\BDS\10.0", 0x40000, "RAD Studio XE3", "XE3", "x64", "170"),
    Ide("RADStudio11", 0x20000, r"Embarcadero\BDS\11.0", 0x80000, "RAD Studio XE4", "XE4", "x64", "180"),
    Ide("RADStudio12", 0x40000, r"Embarcadero\BDS\12.0", 0x100000, "RAD Studio XE5", "XE5", "x64", "190"),
    Ide("RADStudio14", 0x80000, r"Embarcadero\BDS\14.0", 0x200000, "RAD Studio XE6", "XE6", "x64", "200"),
    Ide("RADStudio15", 0x100000, r"Embarcadero\BDS\15.0", 0x400000, "RAD Studio XE7", "XE7", "x64", "210"),
    Ide("RADStudio16", 0x200000, r"Embarcadero\BDS\16.0", 0x800000, "RAD Studio XE8", "XE8", "x64", "220"),
    Ide("RADStudio17", 0x400000, r"Embarcadero\BDS\17.0", 0x1000000, "RAD Studio XE10", "XE10", "x64", "230"),
    Ide("RADStudio18", 0x800000, r"Embarcadero\BDS\18.0", 0x2000000, "RAD Studio XE10.1", "XE10.1", "x64", "240",
        guard64=True),
    Ide("RADStudio19", 0x1000000, r"Embarcadero\BDS\19.0", 0x4000000, "RAD Studio XE10.2", "XE10.2", "x64", "250",
        guard64=True),
    Ide("RADStudio20", 0x2000000, r"Embarcadero\BDS\20.0", 0x8000000, "RAD Studio XE10.3", "XE10.3", "x64", "260",
        guard64=True),
    Ide("RADStudio22", 0x8000000, r"Embarcadero\BDS\22.0", 0x20000000, "RAD Studio 11", "RADStudio11", "x64", "280",
        guard64=True),
    Ide("RADStudio21", 0x4000000, r"Embarcadero\BDS\21.0", 0x10000000, "RAD Studio XE10.4", "XE10.4", "x64", "270",
        guard64=True),
]


class Extra:
    """A selection-list row that stands for no IDE: its command-line name
    for /ITEMS, its bit and its row."""

    def __init__(self, name, row_bit, row):
        self.name, self.row_bit, self.row = name, row_bit, row


HELP, DELPHI_DEMOS, CPP_DEMOS = EXTRAS = [
    Extra("help", 0x80, "Context help files"),
    Extra("delphi-demos", 0x100, "Delphi demo projects"),
    Extra("cpp-demos", 0x200, "C++Builder demo projects"),
]


def catalogue():
    """Every version, in catalogue order (entry 1 first)."""
    ides = sorted(IDES, key=lambda ide: ide.bit)
    assert [ide.entry for ide in ides] == list(range(1, len(ides) + 1)), "the catalogue bits leave a gap"
    return ides


def offered():
    """The versions the library is installed into, in script order."""
    return [ide for ide in IDES if ide.row_bit is not None]


def selection_rows():
    """The selection list as it shows: the Delphi and RAD Studio versions,
    then the C++Builder ones, each newest first, then the extra items.
    (item bit, row, catalogue bit of its IDE or 0)"""
    ides = sorted(offered(), key=lambda ide: (not ide.is_delphi, -ide.bit))
    rows = [(ide.row_bit, ide.row, ide.bit) for ide in ides] + [(e.row_bit, e.row, 0) for e in EXTRAS]
    bits = [row[0] for row in rows]
    assert len(set(bits)) == len(bits) and all(b & (b - 1) == 0 for b in bits), "selection bits collide"
    return rows


def row_mask(ides):
    """The selection bits of these versions, as an IfItem code."""
    mask = 0
    for ide in ides:
        mask |= ide.row_bit
    return mask
