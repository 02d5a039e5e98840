#!/usr/bin/env python3
"""The Orvane library product: its install script and its payload files.

This file is the one source of truth for both. From the product description
below it writes
  script/ScriptItems.cpp      the 960 script items, one per line, index in a comment
  resources/payload.rc        the payload files as QZLIB resources
  resources/payload.lst       payload id -> file (for tests and the build)
  resources/payload/**        the payload files themselves (see payload.py)

Usage: gen_script.py [--out DIR]   (default: the repository root)
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import payload as P  # noqa: E402

PRODUCT_KEY = "Software\\Tarnwick\\Orvane library"
HLP_INDEX = "\r\n:Index Orvane library components=qzlib.hlp"
HLP_LINK = "\r\n:Link qzlib.hlp"
HLP_INCLUDE = "\r\n:Include qzlib.cnt"

# Operation numbers and flags.
LOGGED, KEEP = 0x10000, 0x20000
OP = dict(Compile=0x0006, Register=0x0008, AppendHelp=0x000A, DeleteFile=0x000B, WinHelp=0x000C,
          HelpDir=0x000D, RegKey=0x000F, Check=0x0013, LibPath=0x0015, CopyFiles=0x001A,
          DeleteFiles=0x001B, Merge=0x001C, HelpReg=0x0023, IdePath=0x0026, Select=0x4009,
          ProductInfo=0x400E, IfItem=0x4016, EndIfItem=0x4017, IfFile=0x4024, EndIfFile=0x4025,
          MkDir=0x8001, Payload=0x8002, Clear=0x8005, WorkDir=0x8007, IfMissing=0x8010,
          IfNewer=0x8011, Uninstaller=0x8012, CopyBuilt=0x8014)


# ---- IDE blocks -------------------------------------------------------------
class Ide:
    """One IDE block. kind: 'd3', 'delphi' (D4-D7), 'cb' (make), 'bds' (2005-XE), 'x64'."""

    def __init__(self, entry, name, bit, suffix, kind, target, help_files=(), folder=None,
                 make_ext=None, cpp=None, guard64=False, help_nested=False):
        self.entry, self.name, self.bit, self.suffix, self.kind = entry, name, bit, suffix, kind
        self.target, self.help_files, self.folder = target, help_files, folder or name
        self.make_ext, self.cpp, self.guard64, self.help_nested = make_ext, cpp, guard64, help_nested
        self.internal_id = 1 << (entry - 1)

    @property
    def rt(self):
        return "qzl" + self.suffix

    @property
    def dcl(self):
        return "dclqzl" + self.suffix


# Catalogue entry, folder, selection-row bit, package suffix, kind, PackageTargets index.
# The 10.4 block closes the IDE blocks: RAD Studio 11 was slotted in before it.
IDES = [
    Ide(1, "Delphi3", 0x1, "30", "d3", 0, ("delphi3.cfg",), folder="delphi3"),
    Ide(2, "Delphi4", 0x2, "40", "delphi", 1, ("delphi4.cfg", "delphi4.ohi", "delphi4.ohl")),
    Ide(3, "Delphi5", 0x4, "50", "delphi", 2, ("delphi5.ohi", "delphi5.ohl")),
    Ide(5, "CBuilder4", 0x10, "40", "cb", 3, ("bcb4.cfg", "bcb4.ohi", "bcb4.ohl"), make_ext="bpk"),
    Ide(6, "CBuilder5", 0x20, "50", "cb", 4, ("bcb5.ohi", "bcb5.ohl"), make_ext="mak"),
    Ide(7, "Delphi6", 0x8, "60", "delphi", 5, ("delphi6.ohi", "delphi6.ohl", "delphi6.als"), help_nested=True),
    Ide(8, "CBuilder6", 0x40, "60", "cb", 6, ("bcb6.ohi", "bcb6.ohl", "bcb6.als"), make_ext="bpk",
        help_nested=True),
    Ide(9, "Delphi7", 0x400, "70", "delphi", 8, ("d7.ohi", "d7.ohl", "d7.als"), help_nested=True),
    Ide(10, "Delphi9", 0x800, "90", "bds", 9),
    Ide(11, "BDS2006", 0x1000, "2006", "bds", 10, cpp="move"),
    Ide(12, "Delphi2007", 0x2000, "2007", "bds", 11, cpp="cpppaths"),
    Ide(13, "BDS2009", 0x4000, "2009", "bds", 12, cpp="cpppaths"),
    Ide(14, "BDS2010", 0x8000, "2010", "bds", 13, cpp="cpppaths"),
    Ide(15, "RADStudio8", 0x10000, "150", "bds", 14, cpp="cpppaths"),
] + [
    Ide(e, "RADStudio%d" % n, bit, str(s), "x64", e - 1, guard64=e >= 24)
    for e, n, bit, s in [(16, 9, 0x20000, 160), (17, 10, 0x40000, 170), (18, 11, 0x80000, 180),
                         (19, 12, 0x100000, 190), (20, 14, 0x200000, 200), (21, 15, 0x400000, 210),
                         (22, 16, 0x800000, 220), (23, 17, 0x1000000, 230), (24, 18, 0x2000000, 240),
                         (25, 19, 0x4000000, 250), (26, 20, 0x8000000, 260), (28, 22, 0x20000000, 280),
                         (27, 21, 0x10000000, 270)]
]


class Table:
    def __init__(self):
        self.rows = []
        self.payload = {}  # id -> repository-relative source (or "@target")

    def add(self, op, flags=0, text=None, code=0, kind=0, text2=None, text3=None, kind2=0, options=0,
            target=None):
        self.rows.append((OP[op] | flags, text, code, kind, text2, text3, kind2, options, target))

    def file(self, pid, target, source, op="Payload", flags=0, kind=3):
        assert self.payload.get(pid, source) == source, pid
        self.payload[pid] = source
        self.add(op, flags, target, pid, kind)

    def begin(self, op, code, **kw):
        self.add(op, text=kw.get("text"), code=code, kind=kw.get("kind", 0))

    def end(self, op, code):
        self.add(op, code=code)


def payload_source(target):
    return "resources/payload/" + target.replace("\\", "/")


def common_files(t, ids):
    """Everything before the IDE blocks: product info, sources, help, uninstaller."""
    for selector in (1, 2, 3, 4, 5, 7, 6):
        t.add("ProductInfo", LOGGED, code=selector)
    t.add("MkDir", LOGGED, "", kind=3)
    t.add("MkDir", LOGGED, "Source", kind=3)
    for target in P.SOURCE_FILES + P.ROOT_FILES:
        t.file(ids[target], target, payload_source(target))
    for bits, files in ((0x448, P.CLX_FILES), (0x70, P.CB_FILES)):
        t.begin("IfItem", bits)
        for target in files:
            t.file(ids[target], target, payload_source(target))
        t.end("EndIfItem", bits)
    t.begin("IfItem", 0x80)
    t.add("MkDir", LOGGED, "Help", kind=3)
    for target in P.HELP_FILES:
        t.file(ids[target], target, payload_source(target))
    t.begin("IfItem", 0x448)
    t.file(ids["Help\\qzlib.als"], "Help\\qzlib.als", payload_source("Help\\qzlib.als"))
    t.end("EndIfItem", 0x448)
    t.add("HelpDir", 0, "Help", kind=3)
    t.add("WinHelp", LOGGED, "qzlib.hlp")
    t.add("WinHelp", LOGGED, "qzlib.cnt")
    t.begin("IfItem", 0x1000)
    for target in P.HELP2_FILES:
        t.file(ids[target], target, payload_source(target))
    t.add("HelpReg", LOGGED, "help\\help_reg.bat", kind=3)
    t.end("EndIfItem", 0x1000)
    t.end("EndIfItem", 0x80)
    t.file(ids["Orvane.ini"], "Orvane.ini", payload_source("Windows\\Orvane.ini"), "IfMissing",
           LOGGED | KEEP, kind=1)
    t.file(28, "untwk.exe", "@untwk", "IfNewer")
    t.add("Uninstaller", LOGGED, "untwk.exe", kind=3)
    t.file(ids["Source\\qzlabout.dll"], "Source\\qzlabout.dll", "@qzlabout")


def ide_block(t, ide, block_no):
    f = ide.folder
    out = f + "\\Win32" if ide.kind == "x64" else f
    ext = "dpl" if ide.kind == "d3" else "bpl"
    t.begin("IfItem", ide.bit)
    t.add("Select", LOGGED, ide.name, ide.entry)
    t.add("MkDir", LOGGED, f, kind=3)
    t.add("Clear", 0, f, kind=3)
    if ide.kind == "x64":
        t.add("MkDir", LOGGED, f + "\\Win32", kind=3)
        t.add("MkDir", LOGGED, f + "\\Win64", kind=3)
    if ide.kind == "cb":
        t.add("MkDir", LOGGED, f + "\\Obj", kind=3)
    for n, (name, shared) in enumerate(P.block_files(ide)):
        if shared:
            t.file(P.SHARED_IDS[shared], f + "\\" + name, payload_source(shared))
        else:
            t.file(block_no * 100 + n, f + "\\" + name, payload_source(f + "\\" + name))
    if ide.kind == "d3":
        t.add("CopyBuilt", 0, "Source\\qzl.inc", kind=3, target=7)
    t.add("WorkDir", 0, f, kind=3)
    project = {"cb": ide.make_ext}.get(ide.kind, "dpk")
    t.add("Compile", 0, "%s.%s" % (ide.rt, project), ide.internal_id)
    t.add("Check", 0, "%s\\%s.%s" % (out, ide.rt, ext), kind=3)
    t.add("CopyBuilt", 0, "%s\\%s.%s" % (out, ide.rt, ext), kind=3, target=ide.target)
    t.add("Compile", 0, "%s.%s" % (ide.dcl, project), ide.internal_id)
    t.add("Check", 0, "%s\\%s.%s" % (out, ide.dcl, ext), kind=3)
    t.add("Register", LOGGED, "%s\\%s.%s" % (out, ide.dcl, ext), kind=3)
    if ide.kind == "cb":
        t.add("LibPath", LOGGED, "Source", kind=3)
    if ide.cpp == "cpppaths":
        t.add("IdePath", LOGGED, "\\CppPaths\\IncludePath", 2, 3)
        t.add("IdePath", LOGGED, "\\CppPaths\\LibraryPath", 2, 3)
    if ide.cpp:
        t.add("CopyFiles", 0, "Source\\*.hpp", kind=3, text3=f + "\\*.hpp", kind2=3)
        t.add("DeleteFiles", 0, "Source\\*.hpp", kind=3)
    if ide.help_files:
        help_block(t, ide)
    if ide.kind == "x64":
        t.add("IdePath", LOGGED, "\\C++\\Paths\\Win32\\IncludePath", 3, 3)
        t.add("IdePath", LOGGED, "\\C++\\Paths\\Win32\\LibraryPath", 3, 3)
        key = ide.internal_id + 2
        if ide.guard64:
            t.begin("IfFile", key, text="bin\\dcc64.exe", kind=2)
        t.add("Compile", 0, ide.rt + ".dpk", ide.internal_id, options=1)
        t.add("Check", 0, "%s\\Win64\\%s.bpl" % (f, ide.rt), kind=3)
        t.add("IdePath", LOGGED, "\\Library\\Win64\\Search Path", 4, 3)
        t.add("IdePath", LOGGED, "\\C++\\Paths\\Win64\\LibraryPath", 4, 3)
        if ide.guard64:
            t.end("EndIfFile", key)
    t.add("Select", LOGGED, ide.name, ide.entry)
    t.end("EndIfItem", ide.bit)


def help_block(t, ide):
    """WinHelp integration: configuration lines, keyword merge, cache removal."""
    if ide.help_nested:
        t.begin("IfItem", 0x80)
    slots = {name.rsplit(".", 1)[1]: i + 1 for i, name in enumerate(ide.help_files)}
    if ide.kind == "d3":
        lines = [(HLP_INDEX, 1), (HLP_LINK, 1), (HLP_INCLUDE, 1)]
    elif "cfg" in slots:
        lines = [(HLP_INCLUDE, slots["cfg"]), (HLP_INDEX, slots["ohi"]), (HLP_LINK, slots["ohl"])]
    else:
        lines = [(HLP_INDEX, slots["ohi"]), (HLP_LINK, slots["ohl"])]
    for text, slot in lines:
        t.add("AppendHelp", LOGGED, text, slot, 4)
    if "als" in slots:
        t.add("Merge", 0, "Help\\qzlib.als", kind=3, text3=ide.help_files[slots["als"] - 1], kind2=4)
    t.add("DeleteFile", LOGGED, ide.help_files[0].rsplit(".", 1)[0] + ".gid", kind=4)
    if ide.help_nested:
        t.end("EndIfItem", 0x80)


def demo_blocks(t, ids):
    for bits, folders, files in P.DEMOS:
        t.begin("IfItem", bits)
        for folder in folders:
            t.add("MkDir", 0, folder, kind=3)
            for target in files.get(folder, ()):
                t.file(ids[target], target, payload_source(target))
        t.end("EndIfItem", bits)


def build_table():
    ids = P.common_ids()
    t = Table()
    common_files(t, ids)
    for block_no, ide in enumerate(IDES, 1):
        ide_block(t, ide, block_no)
    demo_blocks(t, ids)
    for unit in P.DELETED_SOURCES:
        t.add("DeleteFile", LOGGED, "Source\\" + unit, kind=3)
    t.add("RegKey", LOGGED | KEEP, PRODUCT_KEY, 0x80000002)
    assert len(t.rows) == 960, len(t.rows)
    return t


# ---- Output ----------------------------------------------------------------
def c_string(text):
    if text is None:
        return "nullptr"
    return 'L"%s"' % text.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n").replace('"', '\\"')


def tail_strings(t):
    """A string that ends another string of the table is written as a pointer
    into that one: identical literals share one copy, but PE linkers do not
    share string tails, and these are over a kilobyte of the table's text."""
    texts = sorted({s for row in t.rows for s in (row[1], row[4], row[5]) if s}, key=lambda s: (-len(s), s))
    host = {}
    for s in texts:
        whole = next((w for w in texts if len(w) > len(s) and w.endswith(s)), None)
        if whole is not None:
            host[s] = whole
    def literal(text):
        if text in host:
            return "%s + %d" % (c_string(host[text]), len(host[text]) - len(text))
        return c_string(text)
    return literal


def script_source(t):
    out = ["// Generated by tools/gen_script.py from the product description there; do not edit.",
           "// Fields: Id, Text, Code, DirKind, Text2, Text3, DirKind2, Options, Target.",
           '// A string written as L"..." + n is the tail of a longer string of the table.',
           '#include "script/ScriptItem.h"', "", "// clang-format off",
           "const TScriptItem ScriptItems[ScriptItemCount] = {"]
    literal = tail_strings(t)
    for i, (ident, text, code, kind, text2, text3, kind2, options, target) in enumerate(t.rows):
        target_text = "nullptr" if target is None else "&PackageTargets[%d]" % target
        out.append("    /* %3d */ {0x%05X, %s, 0x%X, %d, %s, %s, %d, %d, %s}," % (
            i, ident, literal(text), code, kind, literal(text2), literal(text3), kind2, options,
            target_text))
    out += ["};", "// clang-format on", ""]
    return "\n".join(out)


def rc_source(t):
    out = ["// Generated by tools/gen_script.py; do not edit. The payload files of setup.",
           "// untwk.exe and qzlabout.dll come from the build (payload_built.rc)."]
    for pid in sorted(t.payload):
        source = t.payload[pid]
        if not source.startswith("@"):
            out.append('%d QZLIB "%s"' % (pid, source))
    return "\n".join(out) + "\n"


def list_source(t):
    out = ["# Generated by tools/gen_script.py; do not edit. Payload id, then its file",
           "# (relative to the repository) or @target for a file the build makes."]
    out += ["%d %s" % (pid, t.payload[pid]) for pid in sorted(t.payload)]
    return "\n".join(out) + "\n"


def write(root, relative, data):
    path = os.path.join(root, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(path, "wb") as f:
        f.write(data)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    if len(sys.argv) == 3 and sys.argv[1] == "--out":
        root = sys.argv[2]
    t = build_table()
    write(root, "script/ScriptItems.cpp", script_source(t))
    write(root, "resources/payload.rc", rc_source(t))
    write(root, "resources/payload.lst", list_source(t))
    for relative, data in P.all_files(IDES).items():
        write(root, "resources/payload/" + relative, data)


if __name__ == "__main__":
    main()
