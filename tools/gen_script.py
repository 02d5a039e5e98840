#!/usr/bin/env python3
"""The Orvane library product's tables and payload files, made at build time
from the IDE versions of product.py, the install script's rules below and
the payload files of payload.py. Below DIR it writes

  catalogue/ProductCounts.h      the sizes of the tables below
  catalogue/CatalogueTables.inc  the catalogue, the selection list, the package targets
  aboutbox/IdeLabels.inc         the about box's label of each IDE version
  setup/ExtraItems.inc           the names and bits of /ITEMS
  script/ScriptItems.cpp         the script items, one per line, index in a comment
  resources/payload.rc           the payload files as QZLIB resources
  resources/payload.lst          payload id -> file (for tests and benchmarks)
  resources/payload/**           the payload files themselves

Usage: gen_script.py --out DIR
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import payload as P  # noqa: E402
import product  # noqa: E402

PRODUCT_KEY = "Software\\Tarnwick\\Orvane library"
HLP_INDEX = "\r\n:Index Orvane library components=qzlib.hlp"
HLP_LINK = "\r\n:Link qzlib.hlp"
HLP_INCLUDE = "\r\n:Include qzlib.cnt"

# Directory kinds, written into the table by their names in support/DirKinds.h.
DIR_KINDS = ("dkNone", "dkWindows", "dkProductRoot", "dkInstall", "dkProductHelp", "dkTemp", "dkSystem")
NONE, WINDOWS, PRODUCT_ROOT, INSTALL, PRODUCT_HELP, TEMP, SYSTEM = range(len(DIR_KINDS))

# Operation numbers and flags.
LOGGED, KEEP = 0x10000, 0x20000
OP = dict(Compile=0x0006, Register=0x0008, AppendHelp=0x000A, DeleteFile=0x000B, WinHelp=0x000C,
          HelpDir=0x000D, RegKey=0x000F, Check=0x0013, LibPath=0x0015, CopyFiles=0x001A,
          DeleteFiles=0x001B, Merge=0x001C, HelpReg=0x0023, IdePath=0x0026, Select=0x4009,
          ProductInfo=0x400E, IfItem=0x4016, EndIfItem=0x4017, IfFile=0x4024, EndIfFile=0x4025,
          MkDir=0x8001, Payload=0x8002, Clear=0x8005, WorkDir=0x8007, IfMissing=0x8010,
          IfNewer=0x8011, Uninstaller=0x8012, CopyBuilt=0x8014)


# Where CopyInstalledFile puts a built package: the run-time package of
# each version, in catalogue order, into the system folder; and Delphi 3's
# block copies the include file into its folder, from this place of the table.
QZL_INC_TARGET = 7


def package_targets():
    """PackageTargets as (name, folder kind), and {version name, or "qzl.inc": its index}."""
    offered = [ide for ide in product.catalogue() if ide.row_bit is not None]
    rows = [(ide.name, "%s.%s" % (ide.rt, ide.package_ext), SYSTEM) for ide in offered]
    d3 = next(ide for ide in offered if ide.kind == "d3")
    rows.insert(QZL_INC_TARGET, ("qzl.inc", d3.folder + "\\qzl.inc", INSTALL))
    return [row[1:] for row in rows], {row[0]: i for i, row in enumerate(rows)}


class Table:
    def __init__(self):
        self.rows = []
        self.payload = {}  # id -> source relative to the generated folder (or "@target")

    def add(self, op, flags=0, text=None, code=0, kind=NONE, text2=None, text3=None, kind2=NONE, options=0,
            target=None):
        self.rows.append((OP[op] | flags, text, code, kind, text2, text3, kind2, options, target))

    def file(self, pid, target, source, op="Payload", flags=0, kind=INSTALL):
        assert self.payload.get(pid, source) == source, pid
        self.payload[pid] = source
        self.add(op, flags, target, pid, kind)

    def begin(self, op, code, **kw):
        self.add(op, text=kw.get("text"), code=code, kind=kw.get("kind", NONE))

    def end(self, op, code):
        self.add(op, code=code)


def payload_source(target):
    return "resources/payload/" + target.replace("\\", "/")


def common_files(t, ids):
    """Everything before the IDE blocks: product info, sources, help, uninstaller."""
    for selector in (1, 2, 3, 4, 5, 7, 6):
        t.add("ProductInfo", LOGGED, code=selector)
    t.add("MkDir", LOGGED, "", kind=INSTALL)
    t.add("MkDir", LOGGED, "Source", kind=INSTALL)
    for target in P.SOURCE_FILES + P.ROOT_FILES:
        t.file(ids[target], target, payload_source(target))
    clx = product.row_mask(ide for ide in product.offered() if ide.clx)
    cb = product.row_mask(ide for ide in product.offered() if ide.kind == "cb")
    merged = product.row_mask(ide for ide in product.offered() if merges_keywords(ide))
    help2 = product.row_mask(ide for ide in product.offered() if ide.help2)
    for bits, files in ((clx, P.CLX_FILES), (cb, P.CB_FILES)):
        t.begin("IfItem", bits)
        for target in files:
            t.file(ids[target], target, payload_source(target))
        t.end("EndIfItem", bits)
    t.begin("IfItem", product.HELP.row_bit)
    t.add("MkDir", LOGGED, "Help", kind=INSTALL)
    for target in P.HELP_FILES:
        t.file(ids[target], target, payload_source(target))
    t.begin("IfItem", merged)
    t.file(ids["Help\\qzlib.als"], "Help\\qzlib.als", payload_source("Help\\qzlib.als"))
    t.end("EndIfItem", merged)
    t.add("HelpDir", 0, "Help", kind=INSTALL)
    t.add("WinHelp", LOGGED, "qzlib.hlp")
    t.add("WinHelp", LOGGED, "qzlib.cnt")
    t.begin("IfItem", help2)
    for target in P.HELP2_FILES:
        t.file(ids[target], target, payload_source(target))
    t.add("HelpReg", LOGGED, "help\\help_reg.bat", kind=INSTALL)
    t.end("EndIfItem", help2)
    t.end("EndIfItem", product.HELP.row_bit)
    t.file(ids["Orvane.ini"], "Orvane.ini", payload_source("Windows\\Orvane.ini"), "IfMissing",
           LOGGED | KEEP, kind=WINDOWS)
    t.file(28, "untwk.exe", "@untwk", "IfNewer")
    t.add("Uninstaller", LOGGED, "untwk.exe", kind=INSTALL)
    t.file(ids["Source\\qzlabout.dll"], "Source\\qzlabout.dll", "@qzlabout")


def ide_block(t, ide, block_no, target):
    f = ide.folder
    out = f + "\\Win32" if ide.kind == "x64" else f
    ext = ide.package_ext
    t.begin("IfItem", ide.row_bit)
    t.add("Select", LOGGED, ide.name, ide.entry)
    t.add("MkDir", LOGGED, f, kind=INSTALL)
    t.add("Clear", 0, f, kind=INSTALL)
    if ide.kind == "x64":
        t.add("MkDir", LOGGED, f + "\\Win32", kind=INSTALL)
        t.add("MkDir", LOGGED, f + "\\Win64", kind=INSTALL)
    if ide.kind == "cb":
        t.add("MkDir", LOGGED, f + "\\Obj", kind=INSTALL)
    for n, (name, shared) in enumerate(P.block_files(ide)):
        if shared:
            t.file(P.SHARED_IDS[shared], f + "\\" + name, payload_source(shared))
        else:
            t.file(block_no * 100 + n, f + "\\" + name, payload_source(f + "\\" + name))
    if ide.kind == "d3":
        t.add("CopyBuilt", 0, "Source\\qzl.inc", kind=INSTALL, target=target["qzl.inc"])
    t.add("WorkDir", 0, f, kind=INSTALL)
    project = {"cb": ide.make_ext}.get(ide.kind, "dpk")
    t.add("Compile", 0, "%s.%s" % (ide.rt, project), ide.bit)
    t.add("Check", 0, "%s\\%s.%s" % (out, ide.rt, ext), kind=INSTALL)
    t.add("CopyBuilt", 0, "%s\\%s.%s" % (out, ide.rt, ext), kind=INSTALL, target=target[ide.name])
    t.add("Compile", 0, "%s.%s" % (ide.dcl, project), ide.bit)
    t.add("Check", 0, "%s\\%s.%s" % (out, ide.dcl, ext), kind=INSTALL)
    t.add("Register", LOGGED, "%s\\%s.%s" % (out, ide.dcl, ext), kind=INSTALL)
    if ide.kind == "cb":
        t.add("LibPath", LOGGED, "Source", kind=INSTALL)
    if ide.cpp == "cpppaths":
        t.add("IdePath", LOGGED, "\\CppPaths\\IncludePath", 2, INSTALL)
        t.add("IdePath", LOGGED, "\\CppPaths\\LibraryPath", 2, INSTALL)
    if ide.cpp:
        t.add("CopyFiles", 0, "Source\\*.hpp", kind=INSTALL, text3=f + "\\*.hpp", kind2=INSTALL)
        t.add("DeleteFiles", 0, "Source\\*.hpp", kind=INSTALL)
    if ide.help_files:
        help_block(t, ide)
    if ide.kind == "x64":
        t.add("IdePath", LOGGED, "\\C++\\Paths\\Win32\\IncludePath", 3, INSTALL)
        t.add("IdePath", LOGGED, "\\C++\\Paths\\Win32\\LibraryPath", 3, INSTALL)
        key = ide.bit + 2
        if ide.guard64:
            t.begin("IfFile", key, text="bin\\dcc64.exe", kind=PRODUCT_ROOT)
        t.add("Compile", 0, ide.rt + ".dpk", ide.bit, options=1)
        t.add("Check", 0, "%s\\Win64\\%s.bpl" % (f, ide.rt), kind=INSTALL)
        t.add("IdePath", LOGGED, "\\Library\\Win64\\Search Path", 4, INSTALL)
        t.add("IdePath", LOGGED, "\\C++\\Paths\\Win64\\LibraryPath", 4, INSTALL)
        if ide.guard64:
            t.end("EndIfFile", key)
    t.add("Select", LOGGED, ide.name, ide.entry)
    t.end("EndIfItem", ide.row_bit)


def merges_keywords(ide):
    """Versions whose help merges the library's keyword file (Help\\qzlib.als):
    that file comes with the help item, so their help block does too."""
    return any(name.endswith(".als") for name in ide.help_files)


def help_block(t, ide):
    """WinHelp integration: configuration lines, keyword merge, cache removal."""
    if merges_keywords(ide):
        t.begin("IfItem", product.HELP.row_bit)
    slots = {name.rsplit(".", 1)[1]: i + 1 for i, name in enumerate(ide.help_files)}
    if ide.kind == "d3":
        lines = [(HLP_INDEX, 1), (HLP_LINK, 1), (HLP_INCLUDE, 1)]
    elif "cfg" in slots:
        lines = [(HLP_INCLUDE, slots["cfg"]), (HLP_INDEX, slots["ohi"]), (HLP_LINK, slots["ohl"])]
    else:
        lines = [(HLP_INDEX, slots["ohi"]), (HLP_LINK, slots["ohl"])]
    for text, slot in lines:
        t.add("AppendHelp", LOGGED, text, slot, PRODUCT_HELP)
    if "als" in slots:
        t.add("Merge", 0, "Help\\qzlib.als", kind=INSTALL, text3=ide.help_files[slots["als"] - 1], kind2=PRODUCT_HELP)
    t.add("DeleteFile", LOGGED, ide.help_files[0].rsplit(".", 1)[0] + ".gid", kind=PRODUCT_HELP)
    if merges_keywords(ide):
        t.end("EndIfItem", product.HELP.row_bit)


def demo_blocks(t, ids):
    for bits, folders, files in P.DEMOS:
        t.begin("IfItem", bits)
        for folder in folders:
            t.add("MkDir", 0, folder, kind=INSTALL)
            for target in files.get(folder, ()):
                t.file(ids[target], target, payload_source(target))
        t.end("EndIfItem", bits)


def build_table():
    ids = P.common_ids()
    t = Table()
    common_files(t, ids)
    target = package_targets()[1]
    for block_no, ide in enumerate(product.offered(), 1):
        ide_block(t, ide, block_no, target)
    demo_blocks(t, ids)
    for unit in P.DELETED_SOURCES:
        t.add("DeleteFile", LOGGED, "Source\\" + unit, kind=INSTALL)
    t.add("RegKey", LOGGED | KEEP, PRODUCT_KEY, 0x80000002)
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
    out = [GENERATED,
           "// Fields: Id, Text, Code, DirKind, Text2, Text3, DirKind2, Options, Target.",
           '// A string written as L"..." + n is the tail of a longer string of the table.',
           '#include "script/ScriptItem.h"', "", "// clang-format off",
           "const TScriptItem ScriptItems[ScriptItemCount] = {"]
    literal = tail_strings(t)
    for i, (ident, text, code, kind, text2, text3, kind2, options, target) in enumerate(t.rows):
        target_text = "nullptr" if target is None else "&PackageTargets[%d]" % target
        out.append("    /* %3d */ {0x%05X, %s, 0x%X, %s, %s, %s, %s, %d, %s}," % (
            i, ident, literal(text), code, DIR_KINDS[kind], literal(text2), literal(text3), DIR_KINDS[kind2],
            options, target_text))
    out += ["};", "// clang-format on", ""]
    return "\n".join(out)


def rc_source(t):
    out = [GENERATED, "// The payload files of setup.",
           "// untwk.exe and qzlabout.dll come from the build (payload_built.rc)."]
    for pid in sorted(t.payload):
        source = t.payload[pid]
        if not source.startswith("@"):
            out.append('%d QZLIB "%s"' % (pid, source))
    return "\n".join(out) + "\n"


def list_source(t):
    out = ["#" + GENERATED[2:], "# Payload id, then its file (relative to the generated folder) or @target",
           "# for a file the build makes."]
    out += ["%d %s" % (pid, t.payload[pid]) for pid in sorted(t.payload)]
    return "\n".join(out) + "\n"


GENERATED = "// Generated by tools/gen_script.py from tools/product.py; do not edit."


def counts_source(t, targets):
    rows = [("IdeCount", len(product.catalogue()), "IdeCatalogue, and the about box's labels"),
            ("CustomizeCount", len(product.selection_rows()), "CustomizeList"),
            ("PackageTargetCount", len(targets), "PackageTargets"),
            ("ScriptItemCount", len(t.rows), "ScriptItems")]
    out = [GENERATED, "// The sizes of the tables made from the product description.", "#pragma once", ""]
    out += ["constexpr int %s = %d;  // %s" % row for row in rows]
    return "\n".join(out) + "\n"


def catalogue_source(targets):
    """IdeDescriptions, CustomizeList and PackageTargets, as Catalogue.cpp
    includes them."""
    def flag(value):
        return "true" if value else "false"

    out = [GENERATED, "// clang-format off", "namespace {", "",
           "constexpr TIdeDescription IdeDescriptions[IdeCount] = {"]
    for ide in product.catalogue():
        help_files = (list(ide.help_files) + ["", "", ""])[:3]
        out.append("    {%s, 0x%X, %s, {%s}, %s, %s}," % (
            c_string(ide.name), ide.bit, c_string("Software\\" + ide.key), ", ".join(map(c_string, help_files)),
            flag(ide.is_delphi), flag(ide.kind == "x64")))
    out += ["};", "", "}  // namespace", "", "TCustomizeItem CustomizeList[CustomizeCount] = {"]
    out += ["    {0x%X, %s, false, 0x%X}," % (bit, c_string(row), ide) for bit, row, ide in product.selection_rows()]
    out += ["};", "", "const TPackageTarget PackageTargets[PackageTargetCount] = {"]
    out += ["    {%s, %s}," % (c_string(name), DIR_KINDS[kind]) for name, kind in targets]
    out += ["};", "// clang-format on", ""]
    return "\n".join(out)


def labels_source():
    """IdeLabels, as AboutText.cpp includes them: entry n's label at n - 1."""
    out = [GENERATED, "const wchar_t* const IdeLabels[IdeLabelCount] = {"]
    out += ["    %s," % c_string(ide.label) for ide in product.catalogue()]
    return "\n".join(out + ["};", ""])


def extras_source():
    """ExtraItems and their names for a message, as Unattended.cpp includes them."""
    out = [GENERATED, "const TExtraItem ExtraItems[] = {"]
    out += ["    {%s, 0x%X}," % (c_string(e.name), e.row_bit) for e in product.EXTRAS]
    # A literal, so that a message naming them is one literal too.
    out += ["};", "#define EXTRA_ITEM_NAMES %s" % c_string(", ".join(e.name for e in product.EXTRAS)), ""]
    return "\n".join(out)


def write(root, relative, data):
    path = os.path.join(root, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(path, "wb") as f:
        f.write(data)


def main():
    if len(sys.argv) != 3 or sys.argv[1] != "--out":
        sys.exit(__doc__)
    root = sys.argv[2]
    t = build_table()
    targets = package_targets()[0]
    write(root, "catalogue/ProductCounts.h", counts_source(t, targets))
    write(root, "catalogue/CatalogueTables.inc", catalogue_source(targets))
    write(root, "aboutbox/IdeLabels.inc", labels_source())
    write(root, "setup/ExtraItems.inc", extras_source())
    write(root, "script/ScriptItems.cpp", script_source(t))
    write(root, "resources/payload.rc", rc_source(t))
    write(root, "resources/payload.lst", list_source(t))
    for relative, data in P.all_files(product.offered()).items():
        write(root, "resources/payload/" + relative, data)


if __name__ == "__main__":
    main()
