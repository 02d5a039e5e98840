#!/usr/bin/env python3
"""Static checks of the 32-bit deliverables, read by pefile, a PE reader
independent of the binutils that wrote them.
usage: check_release.py <dist-dir> <generated-dir (with the payload list and files)>"""
import pathlib
import sys

import pefile

dist, generated = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
failed = []


def check(what, ok):
    print(("ok   " if ok else "FAIL ") + what)
    failed.extend([] if ok else [what])
    return ok


# KnownDLLs: the loader takes them from the system folder whatever lies
# beside the program. version, comctl32 and shell32 are delay-loaded.
ALLOWED = {"kernel32", "user32", "gdi32", "advapi32", "msvcrt", "ole32", "comdlg32", "shlwapi"}
NO_SEH, TS_AWARE = 0x400, 0x8000  # TS_AWARE means nothing for a DLL


def manifest(pe, ident):
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for entry in kind.directory.entries if kind.id == pefile.RESOURCE_TYPE["RT_MANIFEST"] else ():
            if entry.id == ident:
                data = entry.directory.entries[0].data.struct
                return pe.get_data(data.OffsetToData, data.Size).decode("utf-8", "replace")
    return ""


for name in ("setup.exe", "untwk.exe", "qzlabout.dll"):
    path, program = dist / name, name.endswith(".exe")
    if not check(name + " exists", path.is_file()):
        continue
    pe = pefile.PE(str(path))
    header = pe.OPTIONAL_HEADER
    check("%s is PE32 for i386" % name, pe.FILE_HEADER.Machine == 0x14C and header.Magic == 0x10B)
    check(name + (" uses the Windows GUI subsystem" if program else " is a DLL"),
          header.Subsystem == 2 if program else pe.FILE_HEADER.Characteristics & 0x2000 != 0)
    check("pefile reads %s without warnings: %s" % (name, pe.get_warnings()), not pe.get_warnings())
    check("%s's checksum %#x is right" % (name, header.CheckSum), pe.verify_checksum())
    check("%s's sections' raw sizes are multiples of %#x" % (name, header.FileAlignment),
          all(s.SizeOfRawData % header.FileAlignment == 0 for s in pe.sections))
    flags = header.DllCharacteristics
    check("%s registers no SEH handler and is %sRemote Desktop aware (DllCharacteristics %#06x)"
          % (name, "" if program else "not marked ", flags), flags & (NO_SEH | TS_AWARE) == NO_SEH | program * TS_AWARE)
    imports = [entry.dll.decode().lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    check("%s imports at start-up only from KnownDLLs: %s" % (name, imports),
          imports != [] and all(dll.removesuffix(".dll") in ALLOWED for dll in imports))
    text = manifest(pe, 1 if program else 2)
    check("%s has manifest resource %d, depending on common controls 6" % (name, 1 if program else 2),
          "Microsoft.Windows.Common-Controls" in text)
    if program:
        check(name + " asks for administrator rights, declares DPI awareness and lists supported systems",
              'level="requireAdministrator"' in text and "<dpiAware" in text and "supportedOS Id=" in text)
    else:
        check(name + " asks for no execution level", "requestedExecutionLevel" not in text)
    strings = [key for info in getattr(pe, "FileInfo", [[]])[0] for table in getattr(info, "StringTable", [])
               for key in table.entries]
    check(name + " carries version information with a product version", b"ProductVersion" in strings)
    if name == "setup.exe":
        # Wine maps a section from the file only at a page-aligned file
        # offset; the payload must not be read whole at every start.
        rsrc = [s.PointerToRawData for s in pe.sections if s.Name.rstrip(b"\0") == b".rsrc"]
        check("setup.exe's resources start at a page-aligned file offset (%s)" % rsrc,
              len(rsrc) == 1 and rsrc[0] % 4096 == 0)

# Ceilings in bytes: an include or a call that drags a library back in shows
# here. setup.exe counts without the payload files and the two programs it carries.
size = {name: (dist / name).stat().st_size if (dist / name).is_file() else 0 for name in ("untwk.exe", "qzlabout.dll")}
listed = [line.split(" ", 1)[1] for line in (generated / "resources/payload.lst").read_text().splitlines()
          if line[:1].isdigit()]
size["setup.exe less payload"] = (dist / "setup.exe").is_file() and (dist / "setup.exe").stat().st_size - sum(
    size.values()) - sum((generated / f).stat().st_size for f in listed if f[0] != "@")
for name, ceiling in (("setup.exe less payload", 184320), ("untwk.exe", 65536), ("qzlabout.dll", 32768)):
    check("%s (%d bytes) is at most %d" % (name, size[name], ceiling), 0 < size[name] <= ceiling)

print("%d failed" % len(failed))
sys.exit(1 if failed else 0)
