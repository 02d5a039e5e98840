"""What the scenarios share: the Wine session, program runs, pictures of the
prefix, fake IDEs, uninstall logs and the window driver.

The scenarios run the shipped programs from outside, as a user or a
deployment tool would: setup.exe and untwk.exe with their command lines, the
wizard through its windows, the removal through the uninstall entry. The
shipped programs are the 32-bit release of dist/ (or, where 32-bit programs
cannot start, the 64-bit twins of the test build); the session's prefix is
64-bit Windows with WoW64 or 32-bit Windows. Both are read here, so that the
tests themselves never name a view, a system folder or a program folder.
"""
import collections
import contextlib
import hashlib
import json
import os
import re
import struct
import subprocess
import sys
import tempfile
import time
import warnings
from pathlib import Path

SRC = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(SRC / "tools"))
import gen_script  # noqa: E402  the product's script table, for the payload tree extract mode writes

BUILD = Path(os.environ.get("QZ_BUILD_DIR", SRC / "build" / "test"))
SHIPPED = Path(os.environ.get("QZ_SHIPPED_DIR", SRC / "dist"))
STATE = Path(os.environ.get("QZ_WINE_STATE", BUILD / "wine-session-pytest"))
DRIVE_C = STATE / "prefix" / "drive_c"


def _bits(program):
    data = program.read_bytes()
    return 32 if struct.unpack_from("<H", data, struct.unpack_from("<I", data, 60)[0] + 4)[0] == 0x14C else 64


BITS = _bits(SHIPPED / "setup.exe")
# The prefix kind of a session that this module starts itself: 64-bit Windows.
ARCH = (STATE / "arch").read_text().strip() if (STATE / "arch").exists() else os.environ.get("QZ_WINE_ARCH", "win64")
WOW64 = ARCH == "win64" and BITS == 32
# The registry view the shipped programs read and write, and the other one of
# a 64-bit prefix, where nothing of the product may land.
VIEW = "/reg:%d" % BITS
OTHER_VIEW = ("/reg:64" if BITS == 32 else "/reg:32") if ARCH == "win64" else None
# Where a 32-bit program's system folder writes land on 64-bit Windows.
SYSTEM = "C:\\windows\\syswow64" if WOW64 else "C:\\windows\\system32"
SCRATCH = "C:\\qz-scenarios"
PRODUCT_KEY = r"HKEY_LOCAL_MACHINE\Software\Tarnwick\Orvane library"
ENTRY_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\qzlLib"
WINHELP_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\Help"
UNTWK_TITLE = "Uninstall for Orvane library v4.07"


class Ide(collections.namedtuple("Ide", "name key bit kind suffix help folder")):
    """An IDE version as a fake one needs it: where the real IDE keeps its
    settings (below Software), the product's catalogue bit for it, its
    compiler kind, the suffix of the library's package names for it, its
    WinHelp files and the library's folder for it. Kinds: d3 (Delphi 3),
    delphi (4 to 7), cb (C++Builder), bds (Delphi 2005 to XE, which keep the
    C++ paths from 2007 on: bds-cpp), x64 (XE2 on, with dcc64)."""


IDES = {ide.name: ide for ide in [
    Ide("Delphi3", r"Borland\Delphi\3.0", 0x1, "d3", "30", ("delphi3.cfg",), "delphi3"),
    Ide("Delphi4", r"Borland\Delphi\4.0", 0x2, "delphi", "40", ("delphi4.cfg", "delphi4.ohi", "delphi4.ohl"),
        "Delphi4"),
    Ide("Delphi5", r"Borland\Delphi\5.0", 0x4, "delphi", "50", ("delphi5.ohi", "delphi5.ohl"), "Delphi5"),
    Ide("CBuilder4", r"Borland\C++Builder\4.0", 0x10, "cb", "40", ("bcb4.cfg", "bcb4.ohi", "bcb4.ohl"), "CBuilder4"),
    Ide("CBuilder5", r"Borland\C++Builder\5.0", 0x20, "cb", "50", ("bcb5.ohi", "bcb5.ohl"), "CBuilder5"),
    Ide("Delphi6", r"Borland\Delphi\6.0", 0x40, "delphi", "60", ("delphi6.ohi", "delphi6.ohl", "delphi6.als"),
        "Delphi6"),
    Ide("CBuilder6", r"Borland\C++Builder\6.0", 0x80, "cb", "60", ("bcb6.ohi", "bcb6.ohl", "bcb6.als"), "CBuilder6"),
    Ide("Delphi7", r"Borland\Delphi\7.0", 0x100, "delphi", "70", ("d7.ohi", "d7.ohl", "d7.als"), "Delphi7"),
    Ide("Delphi9", r"Borland\BDS\3.0", 0x200, "bds", "90", (), "Delphi9"),
    Ide("BDS2006", r"Borland\BDS\4.0", 0x400, "bds", "2006", (), "BDS2006"),
    Ide("Delphi2007", r"Borland\BDS\5.0", 0x800, "bds-cpp", "2007", (), "Delphi2007"),
    Ide("BDS2009", r"CodeGear\BDS\6.0", 0x1000, "bds-cpp", "2009", (), "BDS2009"),
    Ide("BDS2010", r"CodeGear\BDS\7.0", 0x2000, "bds-cpp", "2010", (), "BDS2010"),
    Ide("RADStudio8", r"Embarcadero\BDS\8.0", 0x4000, "bds-cpp", "150", (), "RADStudio8"),
    Ide("RADStudio9", r"Embarcadero\BDS\9.0", 0x8000, "x64", "160", (), "RADStudio9"),
    Ide("RADStudio10", r"Embarcadero\BDS\10.0", 0x10000, "x64", "170", (), "RADStudio10"),
    Ide("RADStudio11", r"Embarcadero\BDS\11.0", 0x20000, "x64", "180", (), "RADStudio11"),
    Ide("RADStudio12", r"Embarcadero\BDS\12.0", 0x40000, "x64", "190", (), "RADStudio12"),
    Ide("RADStudio14", r"Embarcadero\BDS\14.0", 0x80000, "x64", "200", (), "RADStudio14"),
    Ide("RADStudio15", r"Embarcadero\BDS\15.0", 0x100000, "x64", "210", (), "RADStudio15"),
    Ide("RADStudio16", r"Embarcadero\BDS\16.0", 0x200000, "x64", "220", (), "RADStudio16"),
    Ide("RADStudio17", r"Embarcadero\BDS\17.0", 0x400000, "x64", "230", (), "RADStudio17"),
    Ide("RADStudio18", r"Embarcadero\BDS\18.0", 0x800000, "x64", "240", (), "RADStudio18"),
    Ide("RADStudio19", r"Embarcadero\BDS\19.0", 0x1000000, "x64", "250", (), "RADStudio19"),
    Ide("RADStudio20", r"Embarcadero\BDS\20.0", 0x2000000, "x64", "260", (), "RADStudio20"),
    Ide("RADStudio21", r"Embarcadero\BDS\21.0", 0x4000000, "x64", "270", (), "RADStudio21"),
    Ide("RADStudio22", r"Embarcadero\BDS\22.0", 0x8000000, "x64", "280", (), "RADStudio22"),
]}
REG_KEYS = {name: "Software\\" + ide.key for name, ide in IDES.items()}


# ---- Session and programs ----------------------------------------------------
def session(start):
    script = SRC / "cmake" / "wine" / ("session-start.sh" if start else "session-stop.sh")
    subprocess.run(["sh", str(script), str(STATE)] + ([ARCH, str(BITS)] if start else []), check=start,
                   stdout=subprocess.DEVNULL)


def wine_env():
    # Arguments and file names reach Wine as UTF-8, whatever the caller's locale.
    env = dict(os.environ, WINEPREFIX=str(STATE / "prefix"), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
               LANG="C.UTF-8")
    if (STATE / "display").exists():
        env["DISPLAY"] = ":" + (STATE / "display").read_text().strip()
    return env


def host(path):
    """The Linux path of a C: path of the prefix."""
    assert path[:3].upper() == "C:\\", path
    return DRIVE_C / path[3:].replace("\\", "/")


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def program(name):
    """A program of the test build: the stand-ins, the driver."""
    return windows_path(BUILD / "bin" / name)


def shipped(name):
    """setup.exe, untwk.exe or qzlabout.dll as shipped."""
    return windows_path(SHIPPED / name)


def run(*args, timeout=120, cwd=SCRATCH):
    """Runs a Windows program to its end: (exit code, stdout and stderr)."""
    return _finish([_start(args, cwd)], timeout)[0]


def run_batches(batches, timeout=300):
    """Runs command lines from batch files, as a deployment script would: many
    programs per Wine launch, the files side by side. (exit code, output) each."""
    for i, lines in enumerate(batches):
        write(SCRATCH + "\\batch%d.bat" % i, "@echo off\r\n" + "\r\n".join(lines) + "\r\n")
    return _finish([_start(["cmd", "/c", SCRATCH + "\\batch%d.bat" % i]) for i in range(len(batches))], timeout)


def _start(args, cwd=SCRATCH):
    # Output goes through a file, not a pipe: processes the program leaves
    # running (untwk's deferred clean-up) would hold a pipe open. The current
    # directory lies in the prefix, so that relative paths never reach the host.
    out = tempfile.TemporaryFile()
    return out, subprocess.Popen(["wine", *map(str, args)], env=wine_env(), stdout=out, stderr=subprocess.STDOUT,
                                 cwd=host(cwd))


def _finish(started, timeout):
    results = []
    for out, process in started:
        with out:
            code = process.wait(timeout)
            out.seek(0)
            results.append((code, out.read().decode("utf-8", "replace")))
    return results


def write(path, data):
    target = host(path)
    target.parent.mkdir(parents=True, exist_ok=True)
    target.write_bytes(data.encode("utf-8") if isinstance(data, str) else data)


def setup(*options, timeout=180):
    """setup.exe /VERYSILENT with options: (exit code, output).

    Now and then Wine cannot start a child process: the new process ends
    inside Wine's start-up, and CreateProcessW fails with ERROR_INTERNAL_ERROR
    (0x54F), which setup reports for that item as it must. Such a run is made
    once more, with a warning; a second installation over the first equals
    one, and a fault of the product fails the second run as well."""
    result = run(shipped("setup.exe"), "/VERYSILENT", *options, timeout=timeout)
    folder = next((o[5:] for o in options if o.upper().startswith("/DIR=")), "")
    log = host(folder + "\\install.log") if folder.upper().startswith("C:\\") else None
    if result[0] == 2 and log and log.exists() and "ErrorCode=54fh" in log.read_bytes().decode("utf-16-le"):
        warnings.warn("Wine could not start a process of setup; installed again")
        result = run(shipped("setup.exe"), "/VERYSILENT", *options, timeout=timeout)
    return result


def failed_items(folder):
    """The lines of install.log in folder that report a failure, with setup's
    notes, as the message of a failed check."""
    log = host(folder + "\\install.log")
    text = log.read_bytes().decode("utf-16-le") if log.exists() else "(no install.log)"
    return "\n".join(line for line in text.split("\r\n") if "...Fail" in line or line.startswith("Error in"))


def wait_until(condition, timeout=30, what="condition"):
    end = time.monotonic() + timeout
    while not condition():
        assert time.monotonic() < end, "timed out waiting for " + what
        time.sleep(0.05)


# ---- Registry -----------------------------------------------------------------
def _unquote(text):
    return re.sub(r"\\(.)", r"\1", text[1:-1]) if text.startswith('"') else text


def export(keys, view=VIEW):
    """Keys below the given ones in a registry view, through "wine reg export"
    (the hive files lag behind the running wineserver): {key: {value name: data}}."""
    files = [SCRATCH + "\\reg%d.reg" % i for i in range(len(keys))]
    pending = list(zip(keys, files))
    for _ in range(3):
        # A key that is not there is reg's exit code 1 with its message; any
        # other failure is Wine's start-up fault (see setup()), tried again.
        results = _finish([_start(["reg", "export", key, f, "/y", view]) for key, f in pending], 60)
        pending = [(key, f) for (key, f), (code, out) in zip(pending, results)
                   if not (code == 0 and host(f).exists() or code == 1 and "Unable to find" in out)]
        if not pending:
            break
        warnings.warn("wine reg export failed for %s; exported again" % [key for key, _ in pending])
    assert not pending, "wine reg export failed for %s" % [key for key, _ in pending]
    tree, key = {}, None
    for f in files:
        if not host(f).exists():
            continue
        for line in host(f).read_bytes().decode("utf-16").replace("\\\r\n  ", "").splitlines():
            if line.startswith("["):
                key = tree.setdefault(line[1:-1], {})
            elif key is not None and (m := re.match(r'(@|"(?:[^"\\]|\\.)*")=(.*)$', line)):
                key[_unquote(m[1])] = _unquote(m[2])
        host(f).unlink()
    return tree


def machine_keys_elsewhere():
    """HKLM's product branches in the view the shipped programs do not use."""
    return export(MACHINE_BRANCHES, OTHER_VIEW) if OTHER_VIEW else {}


def values(key, view=VIEW):
    return export([key], view).get(key, {})


def reg_import(lines, view=VIEW):
    """One reg launch for a whole .reg text ([-key] deletes a key)."""
    write(SCRATCH + "\\import.reg", ("\ufeffWindows Registry Editor Version 5.00\r\n\r\n" + "\r\n".join(lines) + "\r\n")
          .encode("utf-16-le"))
    assert run("reg", "import", SCRATCH + "\\import.reg", view)[0] == 0


def reg_string(text):
    return '"%s"' % text.replace("\\", "\\\\").replace('"', '\\"')


def path_list(text):
    return [entry.lower() for entry in text.split(";")]


# ---- Pictures of the prefix -----------------------------------------------------
# The product's branches: the IDE keys, the product key, the uninstall entries'
# parent and the WinHelp registration.
BRANCHES = ["%s\\Software\\%s" % (root, vendor) for root in ("HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE")
            for vendor in ("Borland", "CodeGear", "Embarcadero", "Tarnwick")] + [ENTRY_KEY.rsplit("\\", 1)[0], WINHELP_KEY]
# Exported in one piece where that is cheaper: HKCU\Software is small, and
# one for both views.
EXPORTED = ["HKEY_CURRENT_USER\\Software"] + BRANCHES[4:]
MACHINE_BRANCHES = BRANCHES[4:]
# Wine's own churn, left out of pictures: its logs and caches, the scratch
# files of the harness (batch files, exports), the stand-in compilers' notes
# of their access lists, and untwk's reason file, which the exit-code
# scenarios check on their own.
CHURN = re.compile(r"windows/(logs|temp)(/.*)?|windows/[^/]*\.log|windows/inf/.*\.pnf|users/[^/]+/temp/untwk-error\.txt"
                   r"|qz-scenarios/[^/]*\.(bat|reg|txt)|.*/bin/\w+-dacl\.txt", re.I)
# What a removal leaves on purpose, each with its reason; everything else must go.
KEEPERS = [
    (r"F %s/qzl\w+\.[bd]pl" % SYSTEM[3:].replace("\\", "/"), "run-time packages copied into the system folder for every program "
     "that uses them: CopyInstalledFile items are not logged"),
    (r"F .*/Help/\w+\.gid", "WinHelp's index cache: the installation deletes it so WinHelp rebuilds it with the "
     "library's entries, and the removal deletes it again"),
    (r"F .*/Help/\w+\.als", "the IDE's keyword file, into which the library's keywords were merged: MergeFiles "
     "items are not logged"),
    (r"K HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\Help", "Windows' own WinHelp key: only the values "
     "the installation wrote into it are removed"),
]
_HASHES = STATE / "hashes.json"


def picture():
    """Every folder and file of drive C: with a digest of its contents, and the
    product's registry branches: {entry: digest or value}."""
    cache = json.loads(_HASHES.read_text()) if _HASHES.exists() else {}
    entries = {}
    for folder, dirs, files in os.walk(DRIVE_C):
        relative = os.path.relpath(folder, DRIVE_C).replace(os.sep, "/")
        for name in dirs + files:
            rel = name if relative == "." else relative + "/" + name
            path = os.path.join(folder, name)
            if CHURN.fullmatch(rel) or os.path.islink(path):
                continue
            if name in dirs:
                entries["D " + rel] = ""
                continue
            stat = os.stat(path)
            key = "%s|%d|%d" % (rel, stat.st_size, stat.st_mtime_ns)
            if key not in cache:
                cache[key] = hashlib.sha1(Path(path).read_bytes()).hexdigest()
            entries["F " + rel] = cache[key]
    _HASHES.write_text(json.dumps(cache))
    # HKLM of the other view, marked with it, is part of the picture: nothing
    # of the product may land there.
    for view, keys, mark in [(VIEW, EXPORTED, "")] + ([(OTHER_VIEW, MACHINE_BRANCHES, OTHER_VIEW + " ")] if OTHER_VIEW else []):
        for key, vals in export(keys, view).items():
            if not any(key.lower() == b.lower() or key.lower().startswith(b.lower() + "\\") for b in BRANCHES):
                continue
            entries["K " + mark + key] = ""
            entries.update(("V %s%s|%s" % (mark, key, name), data) for name, data in vals.items())
    return entries


def changes(before, after, allowed=()):
    """Differences as "+ entry", "- entry" and "~ entry", leaving out those that
    the allowed patterns match."""
    lines = ["%s %s" % ("+" if k not in before else "-" if k not in after else "~", k)
             for k in sorted(set(before) | set(after)) if before.get(k) != after.get(k)]
    return [line for line in lines if not any(re.fullmatch(p, line[2:], re.I) for p in allowed)]


# ---- Fake IDEs --------------------------------------------------------------------
HELP_TEXT = {"cfg": ":Base delphi.hlp\r\n:Index Delphi=delphi.hlp\r\n:Link vcl.hlp\r\n",
             "ohi": ":Index Object Pascal Reference=del.hlp\r\n:Index VCL Reference=vcl.hlp\r\n",
             "ohl": ":Link del.hlp\r\n:Link vcl.hlp\r\n",
             "als": "Application=vcl.hlp>main\r\nTForm=vcl.hlp>main\r\nTStrings=vcl.hlp>main\r\n"}


def ide_values(ide, root):
    """The registry of a freshly installed IDE of this version, as .reg lines:
    its machine-wide folder (in the view of the shipped programs, where a
    32-bit IDE's installer writes it) and the user's settings."""
    key = "[HKEY_CURRENT_USER\\%s" % REG_KEYS[ide.name]
    macro = "$(BDS)" if ide.kind in ("bds", "bds-cpp", "x64") else "$(DELPHI)" if ide.kind != "cb" else "$(BCB)"
    lines = ["[HKEY_LOCAL_MACHINE\\%s]" % REG_KEYS[ide.name], '"RootDir"=' + reg_string(root),
             key + "]", '"RootDir"=' + reg_string(root), key + "\\Known Packages]"]
    if ide.kind == "x64":
        for platform in ("Win32", "Win64"):
            lines += [key + "\\Library\\%s]" % platform, '"Search Path"=' + reg_string(macro + "\\lib\\" + platform),
                      key + "\\C++\\Paths\\%s]" % platform, '"IncludePath"=' + reg_string(macro + "\\include"),
                      '"LibraryPath"=' + reg_string(macro + "\\lib\\" + platform)]
        return lines
    lines += [key + "\\Library]", '"%s"=' % ("SearchPath" if ide.kind == "d3" else "Search Path")
              + reg_string(macro + "\\Lib;" + macro + "\\Imports")]
    if ide.kind == "bds-cpp":
        lines += [key + "\\CppPaths]", '"IncludePath"=' + reg_string(macro + "\\include"),
                  '"LibraryPath"=' + reg_string(macro + "\\lib")]
    return lines


def make_ides(root, names, without64=()):
    """Installed IDEs below root, one folder each named after the version:
    registry values, help files with their WinHelp cache, and the stand-in
    tools in bin. {name: folder}. The benchmark keeps them."""
    roots, lines = {}, []
    for name in names:
        ide, roots[name] = IDES[name], root + "\\" + name
        tools = ["dcc32.exe"] if ide.kind != "cb" else ["make.exe"]
        tools += ["dcc64.exe"] if ide.kind == "x64" and name not in without64 else []
        for tool in tools:
            write(roots[name] + "\\bin\\" + tool, (BUILD / "bin" / "qz_standin.exe").read_bytes())
        for help_file in ide.help:
            write(roots[name] + "\\Help\\" + help_file, HELP_TEXT[help_file[-3:]])
        if ide.help:
            write(roots[name] + "\\Help\\" + ide.help[0][:-3] + "gid", b"?_\x03\x00WinHelp cache")
        lines += ide_values(ide, roots[name])
    reg_import(lines)
    return roots


@contextlib.contextmanager
def fake_ides(root, names, without64=()):
    """make_ides for the length of a with block, then all of it removed."""
    vendors = ["%s\\Software\\%s" % (hive, v) for hive in ("HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE")
               for v in {REG_KEYS[name].split("\\")[1] for name in names}]
    existing = export(vendors)
    roots = make_ides(root, names, without64)
    try:
        yield roots
    finally:
        reg_import(["[-%s\\%s]" % (hive, REG_KEYS[name]) for name in names
                    for hive in ("HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE")]
                   + ["[-%s]" % vendor for vendor in vendors if vendor not in existing])
        remove_tree(root)


@contextlib.contextmanager
def running_ide(root, name):
    """The IDE's program running from its bin folder: the window driver under
    the IDE's program name, idle until the block ends."""
    kind = IDES[name].kind
    exe = "bcb.exe" if kind == "cb" else "delphi32.exe" if kind in ("d3", "delphi") else "bds.exe"
    write(root + "\\bin\\" + exe, (BUILD / "bin" / "qz_driver.exe").read_bytes())
    ide = subprocess.Popen(["wine", root + "\\bin\\" + exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                           env=wine_env())
    ide.stdin.write(b"message\t0\n")
    ide.stdin.flush()
    ide.stdout.readline()  # it answers once it runs
    try:
        yield
    finally:
        ide.stdin.close()
        ide.wait(30)


def remove_tree(path):
    subprocess.run(["rm", "-rf", str(host(path))], check=True)


# ---- Installations -------------------------------------------------------------------
def payload_tree():
    """Folders and payload files of the script table, as extract mode writes
    them below the current directory: {relative path: the payload's file as
    the build generated it (a built program for "@name"), None for a folder}."""
    table, tree = gen_script.build_table(), {}
    for ident, text, code, *_ in table.rows:
        if ident & 0xFFFF == gen_script.OP["MkDir"] and text:
            tree[text] = None
        elif ident & 0xFFFF == gen_script.OP["Payload"]:
            source = table.payload[code]
            tree[text] = next(SHIPPED.glob(source[1:] + ".*")) if source.startswith("@") else BUILD / "generated" / source
    return tree


def read_log(data):
    """The records of uninst.log bytes as far as they are whole, (Id, Code,
    DirKind, text) tuples, and whether untwk accepts the bytes as a log: the
    header and an unbroken chain of records, none with a NUL in its text."""
    records, pos = [], 7
    whole = data[:5] == b"UNTWK" and data[5:7].isdigit()
    while pos + 16 <= len(data):
        ident, code, kind, size = struct.unpack_from("<IIIH", data, pos)
        end = pos + 16 + size
        if end > len(data):
            break
        text = data[pos + 14:end - 2]
        whole = whole and struct.unpack_from("<H", data, end - 2)[0] == size + 16 and 0 not in text
        records.append((ident, code, kind, text.decode("utf-8", "replace")))
        pos = end
    return records, whole and pos == len(data)


def log_bytes(install_dir, actions):
    """A log as the engine writes it: the product records, the reverse marker,
    then the action records (Id, Code, DirKind, text)."""
    products = [(1, "Orvane library"), (2, "4.07"), (3, "trial version"), (4, install_dir),
                (5, "Software\\Tarnwick\\Orvane library"), (7, "qzlLib"), (6, "")]
    out = b"UNTWK02"
    for ident, code, kind, text in [(0x1400E, c, 0, t) for c, t in products] + list(actions):
        raw = text.encode("utf-8")
        out += struct.pack("<IIIH", ident, code, kind, len(raw)) + raw + struct.pack("<H", len(raw) + 16)
    return out


class Driver:
    """The window driver inside the prefix: one line per command, one answer."""

    def __init__(self, path=program("qz_driver.exe")):
        self.process = subprocess.Popen(["wine", path], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, env=wine_env())

    def __call__(self, *fields):
        self.process.stdin.write(("\t".join(map(str, fields)) + "\n").encode("utf-8"))
        self.process.stdin.flush()
        return self.process.stdout.readline().decode("utf-8").rstrip("\r\n").split("\t")

    def dialogs(self, pid=0):
        answer = self("dialogs", pid)[:-1]
        return [tuple(answer[i:i + 3]) for i in range(0, len(answer), 3)]

    def dialog(self, title, pid=0, timeout=30):
        found = []
        wait_until(lambda: found.extend(d[0] for d in self.dialogs(pid) if d[1] == title) or found, timeout,
                   "the window " + title)
        return found[0]

    def exit_code(self, pid, timeout=120):
        wait_until(lambda: self("wait", pid, 200) != ["running"], timeout, "process %s to end" % pid)
        return self("wait", pid, 0)[0]

    def close(self):
        self.process.stdin.close()
        self.process.wait(30)


# Windows' own list of programs: the one of the system's bitness, which lists
# the entries of both views.
UNINSTALLER = "C:\\windows\\system32\\uninstaller.exe"


def entry_command(name):
    return values(ENTRY_KEY)[name]


def remove(route, install_dir, driver):
    """Removes the installation through one of Windows' routes, started as
    Windows starts them, and waits until untwk's work is over: the folder that
    holds the installation holds what it held before, less the installation."""
    parent = host(install_dir).parent
    left = sorted(set(os.listdir(parent)) - {host(install_dir).name})
    if route == "batch":  # the QuietUninstallString in a batch file, as a deployment script runs it
        write(SCRATCH + "\\remove.bat", "@echo off\r\n%s\r\nexit %%errorlevel%%\r\n"
              % entry_command("QuietUninstallString").replace("%", "%%"))
        command = "cmd /c " + SCRATCH + "\\remove.bat"
    else:
        command = UNINSTALLER + " --remove qzlLib" if route == "uninstaller" else entry_command(route)
    pid = driver("start", command)[0]
    if route not in ("QuietUninstallString", "batch"):
        driver("click", driver.dialog(UNTWK_TITLE), 1000)
    assert driver.exit_code(pid) == "0", route
    wait_until(lambda: sorted(os.listdir(parent)) == left, 60, "untwk to remove itself and " + install_dir)
