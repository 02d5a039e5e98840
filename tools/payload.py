"""The payload files of the Orvane library: file lists and their contents.

gen_script.py lays them into the script table; all_files() writes them.
Package projects name only units that the same IDE block (or Source) brings,
and the option files name the folders the script's CheckFileExists items test.
"""
import struct
import zlib

import product

# ---- The library ------------------------------------------------------------
RT_UNITS = ["qzlConsts", "qzlUtils", "qzlStorage", "qzlIniStorage", "qzlRegStorage",
            "qzlXmlStorage", "qzlFormPlacement", "qzlPropSaver", "qzlStrHolder", "qzlCrypt"]
DT_UNITS = ["qzlReg", "qzlPropEds", "qzlStrEdit", "qzlAboutEd", "qzlStorageEd"]
CLX_UNITS = ["QqzlFormPlacement", "QqzlPropSaver"]
FORMS = ["qzlStrEdit", "qzlStorageEd"]
COMPONENTS = ["TqzIniStorage", "TqzRegStorage", "TqzXmlStorage", "TqzFormPlacement",
              "TqzPropSaver", "TqzStrHolder"]

SOURCE_FILES = (["Source\\qzl.inc", "Source\\Orvane.dcr"]
                + ["Source\\%s.pas" % u for u in RT_UNITS + DT_UNITS]
                + ["Source\\%s.dfm" % f for f in FORMS])
ROOT_FILES = ["ReadMe.txt", "License.txt", "History.txt"]
CLX_FILES = ["Source\\%s.pas" % u for u in CLX_UNITS]
CB_FILES = ["Source\\qzlib.h", "Source\\qzlbcb.inc", "Source\\qzlpch.h"]
HELP_FILES = (["Help\\qzlib.hlp", "Help\\qzlib.cnt", "Help\\qzlib.htm", "Help\\logo.gif"]
              + ["Help\\%s.gif" % c for c in COMPONENTS]
              + ["Help\\placement.gif", "Help\\propsaver.gif", "Help\\editor.gif"])
HELP2_FILES = ["Help\\help_reg.bat", "Help\\help_unreg.bat", "Help\\qzlib.HxS", "Help\\qzlib.HxI",
               "Help\\h2reg.vbs", "Help\\h2reg_cmd.ini"]
# The trial edition removes the unit sources once every package is built.
DELETED_SOURCES = ["%s.pas" % u for u in RT_UNITS + DT_UNITS + CLX_UNITS]

DEMO_D = "Demos\\Delphi"
DEMO_C = "Demos\\CBuilder"
DEMOS = [
    (product.DELPHI_DEMOS.row_bit, ["Demos", DEMO_D, DEMO_D + "\\Bin", DEMO_D + "\\Dcu", "Demos\\Settings",
             DEMO_D + "\\Placement", DEMO_D + "\\IniStorage"],
     {DEMO_D + "\\Placement": [DEMO_D + "\\Placement\\" + n for n in ("PlaceDemo.dpr", "PlaceMain.pas", "PlaceMain.dfm")],
      DEMO_D + "\\IniStorage": [DEMO_D + "\\IniStorage\\" + n for n in ("IniDemo.dpr", "IniMain.pas", "IniMain.dfm")]}),
    (product.CPP_DEMOS.row_bit, ["Demos", DEMO_C, DEMO_C + "\\Bin", DEMO_C + "\\Obj", DEMO_C + "\\Lib", "Demos\\Settings",
             DEMO_C + "\\Placement", DEMO_C + "\\IniStorage"],
     {DEMO_C + "\\Placement": [DEMO_C + "\\Placement\\" + n for n in ("PlaceDemo.bpr", "PlaceDemo.cpp", "PlaceDemo.res")],
      DEMO_C + "\\IniStorage": [DEMO_C + "\\IniStorage\\" + n for n in ("IniDemo.bpr", "IniDemo.cpp", "IniDemo.res")]}),
]

# Files that several IDE blocks share, with their one payload id each.
SHARED = ["common\\dcc32.cfg", "common\\dcc64.cfg", "common\\bcbReg.dcr"]


def common_ids():
    """Ids below 100 for everything outside the IDE blocks; 28 is untwk.exe."""
    order = (["Source\\Orvane.dcr", "Source\\qzl.inc"] + SOURCE_FILES[2:] + ROOT_FILES + CLX_FILES
             + CB_FILES + HELP_FILES + ["Help\\qzlib.als"] + HELP2_FILES + ["Orvane.ini",
             "Source\\qzlabout.dll"] + SHARED
             + [f for _, _, files in DEMOS for group in files.values() for f in group])
    ids, next_id = {}, 1
    for name in order:
        if next_id == 28:
            next_id += 1
        ids[name] = next_id
        next_id += 1
    return ids


SHARED_IDS = {name: common_ids()[name] for name in SHARED}


def block_files(ide):
    """(file name, shared payload or None) of one IDE block, own files first."""
    rt, dcl, s = ide.rt, ide.dcl, ide.suffix
    if ide.kind == "d3":
        names = (["%s.pas" % u for u in RT_UNITS + DT_UNITS] + ["%s.dfm" % f for f in FORMS]
                 + ["qzlReg.dcr", "qzlCompat.pas", "qzlContnrs.pas", "qzlMemIni.pas"]
                 + [p + e for p in (rt, dcl) for e in (".dpk", ".cfg", ".dof", ".res")])
        return [(n, None) for n in names]
    if ide.kind == "delphi":
        names = [p + e for p in (rt, dcl) for e in (".dpk", ".cfg", ".dof", ".res")]
        return [(n, None) for n in names + ["qzlReg.pas", "qzlReg.dcr", "qzlPropEds.pas", "Orvane%s.bpg" % s]]
    if ide.kind == "cb":
        names = [p + e for p in (rt, dcl) for e in ("." + ide.make_ext, ".cpp", ".res")]
        names += ["qzlReg.pas", "qzlPropEds.pas", "qzlPropEds.dfm", "Orvane%s.bpg" % s, "ReadMe.txt"]
        return [(n, None) for n in names] + [("qzlReg.dcr", "common\\bcbReg.dcr")]
    proj = ".bdsproj" if ide.entry <= 11 else ".dproj"
    names = [p + e for p in (rt, dcl) for e in (".dpk", ".cfg", ".res", proj)]
    if ide.kind == "bds":
        group = "Orvane%s.bdsgroup" % s if ide.entry <= 11 else "Orvane%s.groupproj" % s
        extra = ["ReadMe.txt"] if ide.help2 else []
        return [(n, None) for n in names + ["qzlReg.pas", "qzlReg.dcr", group] + extra]
    return [(n, None) for n in names] + [("dcc32.cfg", "common\\dcc32.cfg"), ("dcc64.cfg", "common\\dcc64.cfg")]


# ---- Binary formats -----------------------------------------------------------
def res_entry(rtype, name, data, lang=0x409):
    """One entry of a 32-bit .res file; types and names are numbers or strings."""
    def ident(v):
        return struct.pack("<HH", 0xFFFF, v) if isinstance(v, int) else (v.upper() + "\0").encode("utf-16-le")
    header = ident(rtype) + ident(name)
    if len(header) % 4:
        header += b"\0\0"
    header += struct.pack("<IHHII", 0, 0x1030, lang, 0, 0)
    block = struct.pack("<II", len(data), 8 + len(header)) + header + data
    return block + b"\0" * (-len(block) % 4)


def res_file(entries):
    return res_entry(0, 0, b"", 0) + b"".join(entries)


def version_res(name, description):
    """A VERSIONINFO resource such as the IDEs put into a package's .res."""
    def block(key, value=b"", text=False, children=b""):
        k = (key + "\0").encode("utf-16-le")
        head_len = 6 + len(k)
        pad = b"\0" * (-head_len % 4)
        vlen = len(value) // 2 if text else len(value)
        body = k + pad + value
        body += b"\0" * (-len(body) % 4)
        total = 6 + len(body) + len(children)
        return struct.pack("<HHH", total, vlen, 1 if text else 0) + body + children

    fixed = struct.pack("<13I", 0xFEEF04BD, 0x10000, 0x40000, 7, 0x40000, 7, 0x3F, 0, 4, 2, 0, 0, 0)
    strings = b"".join(block(k, (v + "\0").encode("utf-16-le"), True) for k, v in [
        ("CompanyName", "Tarnwick"), ("FileDescription", description), ("FileVersion", "4.0.0.7"),
        ("InternalName", name), ("ProductName", "Orvane library"), ("ProductVersion", "4.07")])
    table = block("040904E4", children=strings)
    sfi = block("StringFileInfo", children=table)
    vfi = block("VarFileInfo", children=block("Translation", struct.pack("<HH", 0x409, 1252)))
    info = block("VS_VERSION_INFO", fixed, children=sfi + vfi)
    return res_entry(16, 1, info)


def bitmap_dib(width, height, colour):
    """A 4-bit DIB: a framed square in one colour, as palette bitmaps are."""
    palette = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
               (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
               (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, 0, 0, 0, 16, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    row_bytes = ((width * 4 + 31) // 32) * 4
    rows = b""
    for y in range(height):
        pixels = [0 if x in (0, width - 1) or y in (0, height - 1) else colour for x in range(width)]
        row = bytes((pixels[i] << 4) | (pixels[i + 1] if i + 1 < width else 0) for i in range(0, width, 2))
        rows += row + b"\0" * (row_bytes - len(row))
    return header + pal + rows


def dcr_file(units, seed):
    """Component palette bitmaps: one BITMAP resource per component class."""
    return res_file(res_entry(2, c.upper(), bitmap_dib(24, 24, 9 + (i + seed) % 6))
                    for i, c in enumerate(units))


def gif_file(width, height, colour):
    """An uncompressed-style GIF87a image of one colour (clear code per 126 pixels)."""
    lzw = bytearray()
    codes = []
    pixels = width * height
    while pixels:
        chunk = min(pixels, 126)
        codes += [128] + [1] * chunk
        pixels -= chunk
    codes.append(129)
    bits, nbits = 0, 0
    for c in codes:
        bits |= c << nbits
        nbits += 8
        while nbits >= 8:
            lzw.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        lzw.append(bits & 0xFF)
    data = b"".join(bytes([len(lzw[i:i + 255])]) + bytes(lzw[i:i + 255]) for i in range(0, len(lzw), 255))
    palette = bytes([255, 255, 255]) + bytes(colour) + b"\0" * (3 * 126)
    return (b"GIF87a" + struct.pack("<HHBBB", width, height, 0x86, 0, 0) + palette
            + b"," + struct.pack("<HHHHB", 0, 0, width, height, 0) + b"\x07" + data + b"\0;")


def winhelp_file(topics):
    """A WinHelp file: the header and an internal directory naming its topics."""
    names = b"".join(t.encode("ascii") + b"\0" for t in topics)
    body = b"|SYSTEM\0|TOPIC\0|CONTEXT\0" + names
    size = 16 + len(body)
    return struct.pack("<IiiI", 0x00035F3F, 16, -1, size) + body


def itss_file(kind, topics):
    """A compiled Help 2 file: an ITOL header followed by its topic names."""
    names = b"".join(t.encode("utf-16-le") + b"\0\0" for t in topics)
    return b"ITOLITLS" + struct.pack("<II", 1, 40) + kind.encode("ascii").ljust(24, b"\0") + names


def text(s):
    return s.replace("\n", "\r\n").encode("cp1252")


# ---- Pascal sources ---------------------------------------------------------------
UNIT_BODIES = {
    "qzlConsts": ("", "", "const\n  qzlVersion = '4.07';\n  qzlEdition = 'trial version';\n"
                  "  qzlDefaultSection = 'Settings';\n\nresourcestring\n"
                  "  SqzlNoStorage = 'No storage assigned to %s';\n"
                  "  SqzlReadError = 'Cannot read setting %s';\n", ""),
    "qzlUtils": ("SysUtils", "", "function qzlQuote(const S: string): string;\n"
                 "function qzlSplitPath(const Path: string; var Section, Name: string): Boolean;\n",
                 "function qzlQuote(const S: string): string;\nbegin\n  Result := '\"' + S + '\"';\nend;\n\n"
                 "function qzlSplitPath(const Path: string; var Section, Name: string): Boolean;\n"
                 "var\n  P: Integer;\nbegin\n  P := LastDelimiter('\\', Path);\n"
                 "  Section := Copy(Path, 1, P - 1);\n  Name := Copy(Path, P + 1, MaxInt);\n"
                 "  Result := Name <> '';\nend;\n"),
    "qzlStorage": ("Classes, SysUtils, qzlConsts",
                   "", "type\n  TqzCustomStorage = class(TComponent)\n  protected\n"
                   "    function DoReadString(const Section, Name, Default: string): string; virtual; abstract;\n"
                   "    procedure DoWriteString(const Section, Name, Value: string); virtual; abstract;\n"
                   "  public\n    function ReadInteger(const Section, Name: string; Default: Integer): Integer;\n"
                   "    procedure WriteInteger(const Section, Name: string; Value: Integer);\n  end;\n",
                   "function TqzCustomStorage.ReadInteger(const Section, Name: string; Default: Integer): Integer;\n"
                   "begin\n  Result := StrToIntDef(DoReadString(Section, Name, ''), Default);\nend;\n\n"
                   "procedure TqzCustomStorage.WriteInteger(const Section, Name: string; Value: Integer);\n"
                   "begin\n  DoWriteString(Section, Name, IntToStr(Value));\nend;\n"),
}


def storage_unit(cls, base_uses, field, read, write):
    return (base_uses, "", "type\n  %s = class(TqzCustomStorage)\n  private\n    F%s: string;\n"
            "  protected\n    function DoReadString(const Section, Name, Default: string): string; override;\n"
            "    procedure DoWriteString(const Section, Name, Value: string); override;\n"
            "  published\n    property %s: string read F%s write F%s;\n  end;\n" % (cls, field, field, field, field),
            "function %s.DoReadString(const Section, Name, Default: string): string;\nbegin\n%send;\n\n"
            "procedure %s.DoWriteString(const Section, Name, Value: string);\nbegin\n%send;\n"
            % (cls, read, cls, write))


UNIT_BODIES.update({
    "qzlIniStorage": storage_unit("TqzIniStorage", "Classes, IniFiles, qzlStorage", "FileName",
                                  "  with TIniFile.Create(FFileName) do\n  try\n"
                                  "    Result := ReadString(Section, Name, Default);\n  finally\n    Free;\n  end;\n",
                                  "  with TIniFile.Create(FFileName) do\n  try\n"
                                  "    WriteString(Section, Name, Value);\n  finally\n    Free;\n  end;\n"),
    "qzlRegStorage": storage_unit("TqzRegStorage", "Classes, Registry, qzlStorage", "RootKey",
                                  "  with TRegistry.Create do\n  try\n    Result := Default;\n"
                                  "    if OpenKeyReadOnly(FRootKey + '\\' + Section) and ValueExists(Name) then\n"
                                  "      Result := ReadString(Name);\n  finally\n    Free;\n  end;\n",
                                  "  with TRegistry.Create do\n  try\n    if OpenKey(FRootKey + '\\' + Section, True) then\n"
                                  "      WriteString(Name, Value);\n  finally\n    Free;\n  end;\n"),
    "qzlXmlStorage": storage_unit("TqzXmlStorage", "Classes, SysUtils, qzlStorage, qzlUtils", "FileName",
                                  "  Result := Default;\n", "  { written on the next Flush }\n"),
    "qzlFormPlacement": ("Classes, Forms, qzlStorage", "",
                         "type\n  TqzFormPlacement = class(TComponent)\n  private\n    FStorage: TqzCustomStorage;\n"
                         "  public\n    procedure SavePlacement(Form: TCustomForm);\n"
                         "    procedure RestorePlacement(Form: TCustomForm);\n  published\n"
                         "    property Storage: TqzCustomStorage read FStorage write FStorage;\n  end;\n",
                         "procedure TqzFormPlacement.SavePlacement(Form: TCustomForm);\nbegin\n"
                         "  FStorage.WriteInteger(Form.Name, 'Left', Form.Left);\n"
                         "  FStorage.WriteInteger(Form.Name, 'Top', Form.Top);\nend;\n\n"
                         "procedure TqzFormPlacement.RestorePlacement(Form: TCustomForm);\nbegin\n"
                         "  Form.Left := FStorage.ReadInteger(Form.Name, 'Left', Form.Left);\n"
                         "  Form.Top := FStorage.ReadInteger(Form.Name, 'Top', Form.Top);\nend;\n"),
    "qzlPropSaver": ("Classes, TypInfo, qzlStorage", "",
                     "type\n  TqzPropSaver = class(TComponent)\n  private\n    FProperties: TStrings;\n"
                     "    FStorage: TqzCustomStorage;\n  public\n    procedure Save;\n  published\n"
                     "    property Properties: TStrings read FProperties write FProperties;\n"
                     "    property Storage: TqzCustomStorage read FStorage write FStorage;\n  end;\n",
                     "procedure TqzPropSaver.Save;\nvar\n  I: Integer;\nbegin\n"
                     "  for I := 0 to FProperties.Count - 1 do\n"
                     "    FStorage.WriteInteger(Name, FProperties[I], I);\nend;\n"),
    "qzlStrHolder": ("Classes", "", "type\n  TqzStrHolder = class(TComponent)\n  private\n    FStrings: TStrings;\n"
                     "  published\n    property Strings: TStrings read FStrings write FStrings;\n  end;\n", ""),
    "qzlCrypt": ("SysUtils", "", "function qzlScramble(const S: string; Key: Byte): string;\n",
                 "function qzlScramble(const S: string; Key: Byte): string;\nvar\n  I: Integer;\nbegin\n"
                 "  Result := S;\n  for I := 1 to Length(Result) do\n"
                 "    Result[I] := Char(Ord(Result[I]) xor Key);\nend;\n"),
    "qzlReg": ("Classes, qzlIniStorage, qzlRegStorage, qzlXmlStorage, qzlFormPlacement, qzlPropSaver, qzlStrHolder",
               "", "procedure Register;\n",
               "procedure Register;\nbegin\n  RegisterComponents('Orvane', [TqzIniStorage, TqzRegStorage,\n"
               "    TqzXmlStorage, TqzFormPlacement, TqzPropSaver, TqzStrHolder]);\nend;\n"),
    "qzlPropEds": ("Classes, DesignIntf, DesignEditors", "",
                   "type\n  TqzPropertiesEditor = class(TPropertyEditor)\n  public\n"
                   "    function GetAttributes: TPropertyAttributes; override;\n  end;\n",
                   "function TqzPropertiesEditor.GetAttributes: TPropertyAttributes;\nbegin\n"
                   "  Result := [paDialog, paReadOnly];\nend;\n"),
    "qzlStrEdit": ("Classes, Forms, StdCtrls", "", "type\n  TqzStrEditDlg = class(TForm)\n    Memo: TMemo;\n"
                   "    OkButton: TButton;\n  end;\n", "{$R *.dfm}\n"),
    "qzlAboutEd": ("Windows, SysUtils", "", "procedure qzlShowAbout;\n",
                   "type\n  TqzlExecute = procedure(Owner: HWND); stdcall;\n\n"
                   "procedure qzlShowAbout;\nvar\n  Lib: HMODULE;\n  Execute: TqzlExecute;\nbegin\n"
                   "  Lib := LoadLibrary('qzlabout.dll');\n  if Lib = 0 then\n    Exit;\n  try\n"
                   "    @Execute := GetProcAddress(Lib, 'Execute');\n    if Assigned(Execute) then\n"
                   "      Execute(0);\n  finally\n    FreeLibrary(Lib);\n  end;\nend;\n"),
    "qzlStorageEd": ("Classes, Forms, StdCtrls", "", "type\n  TqzStorageEditDlg = class(TForm)\n"
                     "    SectionList: TListBox;\n  end;\n", "{$R *.dfm}\n"),
    "QqzlFormPlacement": ("Classes, QForms, qzlStorage", "",
                          "type\n  TqzClxFormPlacement = class(TComponent)\n  public\n"
                          "    procedure SavePlacement(Form: TCustomForm);\n  end;\n",
                          "procedure TqzClxFormPlacement.SavePlacement(Form: TCustomForm);\nbegin\nend;\n"),
    "QqzlPropSaver": ("Classes, QForms, qzlStorage", "", "type\n  TqzClxPropSaver = class(TComponent)\n  end;\n", ""),
    "qzlCompat": ("SysUtils", "", "function IncludeTrailingBackslash(const S: string): string;\n",
                  "function IncludeTrailingBackslash(const S: string): string;\nbegin\n  Result := S;\n"
                  "  if (Result = '') or (Result[Length(Result)] <> '\\') then\n"
                  "    Result := Result + '\\';\nend;\n"),
    "qzlContnrs": ("Classes", "", "type\n  TObjectList = class(TList)\n  public\n    destructor Destroy; override;\n  end;\n",
                   "destructor TObjectList.Destroy;\nvar\n  I: Integer;\nbegin\n"
                   "  for I := 0 to Count - 1 do\n    TObject(Items[I]).Free;\n  inherited Destroy;\nend;\n"),
    "qzlMemIni": ("Classes, IniFiles", "", "type\n  TMemIniFile = class(TIniFile)\n  end;\n", ""),
})


def pascal_unit(name, edition):
    uses, _, interface, implementation = UNIT_BODIES[name]
    if edition == "d3":
        uses = uses.replace("DesignIntf, DesignEditors", "DsgnIntf")
    head = "{ Orvane library 4.07 (%s) - Copyright (c) Tarnwick }\n\nunit %s;\n\n{$I qzl.inc}\n\ninterface\n\n" % (
        edition, name)
    if uses:
        head += "uses\n  %s;\n\n" % uses
    return text(head + interface + "\nimplementation\n\n" + implementation + "\nend.\n")


def dfm(form, cls):
    return text("object %s: %s\n  Left = 200\n  Top = 120\n  Caption = 'Orvane library'\n"
                "  ClientHeight = 240\n  ClientWidth = 360\nend\n" % (form, cls))


def dpk(name, contains, requires, description, design, d3=False):
    lines = ["package %s;" % name, "", "{$R *.res}"]
    if d3:
        lines.append("{$E dpl}")
    lines += ["{$DESCRIPTION '%s'}" % description, "{$DESIGNONLY}" if design else "{$RUNONLY}",
              "{$IMPLICITBUILD OFF}", "", "requires"]
    lines += ["  %s%s" % (r, "," if i < len(requires) - 1 else ";") for i, r in enumerate(requires)]
    lines += ["", "contains"]
    lines += ["  %s%s" % (u, "," if i < len(contains) - 1 else ";") for i, u in enumerate(contains)]
    lines += ["", "end.", ""]
    return text("\n".join(lines))


def cfg(switches):
    return text("\n".join(switches) + "\n")


def dof(name, out, search):
    return text("[FileVersion]\nVersion=%s\n[Compiler]\nA=1\nB=0\nC=1\n[Directories]\nOutputDir=\n"
                "UnitOutputDir=.\nPackageDLLOutputDir=%s\nPackageDCPOutputDir=%s\nSearchPath=%s\n"
                "[Version Info]\nIncludeVerInfo=1\n[Version Info Keys]\nCompanyName=Tarnwick\n"
                "InternalName=%s\nProductName=Orvane library\nProductVersion=4.07\n" % (
                    "4.0", out, out, search, name))


def makefile(ide, pkg, units, design):
    """A C++Builder package makefile (.bpk/.mak) in the IDE's own layout."""
    objs = " \\\n    ".join(["Obj\\%s.obj" % pkg] + ["Obj\\%s.obj" % u for u in units])
    bpis = "vcl%s.bpi" % ide.suffix + (" dclstd%s.bpi qzl%s.bpi" % (ide.suffix, ide.suffix) if design else "")
    return text(
        "# ---------------------------------------------------------------------------\n"
        "# Orvane library 4.07 - %s package for C++Builder %s\n"
        "# ---------------------------------------------------------------------------\n"
        "VERSION = BCB.0%s.03\n"
        "PROJECT = %s.bpl\n"
        "OBJFILES = %s\n"
        "RESFILES = %s.res\n"
        "PACKAGES = %s\n"
        "PATHCPP = .;\n"
        "PATHPAS = .;..\\Source\n"
        "OBJDIR = Obj\n"
        "USERDEFINES = _DEBUG\n"
        "PFLAGS = -N2Obj -N0Obj -$Y- -$L- -$D- -JPHNE -M\n"
        "CFLAG1 = -O2 -H=$(BCB)\\lib\\vcl%s.csm -Hc -Vx -Ve -X- -a8 -b- -k- -vi -c -tWM\n"
        "LFLAGS = -D\"%s\" -aa -Tpp -Gpr -x -Gn -Gl -Gi\n"
        "# ---------------------------------------------------------------------------\n"
        "!ifdef IDEOPTIONS\n[Version Info]\nIncludeVerInfo=1\n!endif\n"
        "# ---------------------------------------------------------------------------\n"
        "$(PROJECT): $(OBJFILES) $(RESFILES)\n"
        "    $(BCB)\\BIN\\ilink32 @&&!\n    $(LFLAGS) $(OBJFILES), $(PROJECT),, $(PACKAGES)\n!\n"
        ".pas.obj:\n    $(BCB)\\BIN\\dcc32 $(PFLAGS) -U$(PATHPAS) {$< }\n"
        ".cpp.obj:\n    $(BCB)\\BIN\\bcc32 $(CFLAG1) -n$(OBJDIR) {$< }\n" % (
            "design-time" if design else "run-time", ide.suffix[0], ide.suffix[0], pkg, objs, pkg,
            bpis, ide.suffix, "Orvane library" + (" design-time" if design else "")))


def package_cpp(pkg, units):
    uses = "".join('USEUNIT("%s.pas");\n' % u for u in units)
    return text('//---------------------------------------------------------------------------\n'
                '#include <vcl.h>\n#pragma hdrstop\nUSERES("%s.res");\n%s'
                '//---------------------------------------------------------------------------\n'
                '#pragma package(smart_init)\n\n'
                'int WINAPI DllEntryPoint(HINSTANCE hinst, unsigned long reason, void*)\n'
                '{\n    return 1;\n}\n' % (pkg, uses))


def bpg(ide, projects):
    names = " ".join("%s.bpl" % p for p in projects)
    rules = "".join("%s.bpl: %s.%s\n  $(%s)\n\n" % (p, p, ide.make_ext or "dpk",
                                                    "BPR" if ide.kind == "cb" else "DCC") for p in projects)
    return text("#------------------------------------------------------------------------------\n"
                "VERSION = BWS.01\n"
                "#------------------------------------------------------------------------------\n"
                "!ifndef ROOT\nROOT = $(MAKEDIR)\\..\n!endif\n"
                "MAKE = $(ROOT)\\bin\\make.exe -$(MAKEFLAGS) -f$**\nDCC = $(ROOT)\\bin\\dcc32.exe $**\n"
                "BPR = $(ROOT)\\bin\\bpr2mak.exe $**\n"
                "#------------------------------------------------------------------------------\n"
                "PROJECTS = %s\n"
                "#------------------------------------------------------------------------------\n"
                "default: $(PROJECTS)\n\n%s" % (names, rules))


def msbuild_project(pkg, units, design, x64, bds):
    platforms = "Win32;Win64" if x64 and not design else "Win32"
    refs = "".join('    <DCCReference Include="%s.pas"/>\n' % u for u in units)
    if bds:
        return text('<?xml version="1.0" encoding="utf-8"?>\n<BorlandProject>\n'
                    '  <PersonalityInfo><Option><Option Name="Personality">Delphi.Personality</Option>'
                    '<Option Name="ProjectType">VCLPackage</Option></Option></PersonalityInfo>\n'
                    '  <Delphi.Personality><Source><Source Name="MainSource">%s.dpk</Source></Source>\n'
                    '    <Directories><Directories Name="SearchPath">..\\Source</Directories>'
                    '<Directories Name="PackageDLLOutputDir">.</Directories></Directories>\n'
                    '  </Delphi.Personality>\n</BorlandProject>\n' % pkg)
    return text('<Project xmlns="http://schemas.microsoft.com/developer/msbuild/2003">\n'
                '  <PropertyGroup>\n    <MainSource>%s.dpk</MainSource>\n'
                '    <ProjectVersion>18.8</ProjectVersion>\n    <FrameworkType>VCL</FrameworkType>\n'
                '    <AppType>Package</AppType>\n    <TargetedPlatforms>%s</TargetedPlatforms>\n'
                '    <DCC_UnitSearchPath>..\\Source;$(DCC_UnitSearchPath)</DCC_UnitSearchPath>\n'
                '    <DCC_BplOutput>.\\$(Platform)</DCC_BplOutput>\n    <DCC_DcpOutput>.\\$(Platform)</DCC_DcpOutput>\n'
                '    <DesignOnlyPackage>%s</DesignOnlyPackage>\n  </PropertyGroup>\n'
                '  <ItemGroup>\n    <DelphiCompile Include="$(MainSource)"/>\n%s  </ItemGroup>\n'
                '  <Import Project="$(BDS)\\Bin\\CodeGear.Delphi.Targets"/>\n</Project>\n' % (
                    pkg, platforms, str(design).lower(), refs))


def group_project(ide, projects):
    if ide.entry <= 11:
        return text('<?xml version="1.0" encoding="utf-8"?>\n<BorlandProject>\n  <Default.Personality>\n'
                    '    <Projects>\n%s    </Projects>\n  </Default.Personality>\n</BorlandProject>\n' % "".join(
                        '      <Projects Name="%s.bpl">%s.bdsproj</Projects>\n' % (p, p) for p in projects))
    return text('<Project xmlns="http://schemas.microsoft.com/developer/msbuild/2003">\n  <ItemGroup>\n%s'
                '  </ItemGroup>\n  <Target Name="Build">\n%s  </Target>\n</Project>\n' % (
                    "".join('    <Projects Include="%s.dproj"/>\n' % p for p in projects),
                    "".join('    <MSBuild Projects="%s.dproj"/>\n' % p for p in projects)))


# ---- One IDE block's files ---------------------------------------------------------
def ide_files(ide):
    f, rt, dcl, s = ide.folder, ide.rt, ide.dcl, ide.suffix
    clx = CLX_UNITS if ide.clx else []
    rt_units, dt_units = RT_UNITS + clx, DT_UNITS
    desc = "Orvane library"
    files = {}
    out = {}
    if ide.kind == "d3":
        for u in RT_UNITS + DT_UNITS + ["qzlCompat", "qzlContnrs", "qzlMemIni"]:
            out[u + ".pas"] = pascal_unit(u, "d3")
        for form in FORMS:
            out[form + ".dfm"] = dfm(form.replace("qzl", "qz") + "Dlg", "T" + form.replace("qzl", "qz") + "Dlg")
        out["qzlReg.dcr"] = dcr_file(COMPONENTS, 3)
        compat = ["qzlCompat", "qzlContnrs", "qzlMemIni"]
        out[rt + ".dpk"] = dpk(rt, compat + RT_UNITS, ["vcl30"], desc, False, True)
        out[dcl + ".dpk"] = dpk(dcl, DT_UNITS, ["vcl30", rt], desc + " design-time", True, True)
        for p in (rt, dcl):
            out[p + ".cfg"] = cfg(["-$D-", "-$L-", "-$Y-", "-LE.", "-LN.", "-N."])
            out[p + ".dof"] = dof(p, ".", "")
            out[p + ".res"] = res_file([version_res(p, desc)])
    elif ide.kind == "delphi":
        local = ["qzlReg", "qzlPropEds"]
        out[rt + ".dpk"] = dpk(rt, rt_units, ["vcl" + s], desc, False)
        out[dcl + ".dpk"] = dpk(dcl, dt_units, ["vcl" + s, "designide" if s >= "60" else "dclstd" + s, rt],
                                desc + " design-time", True)
        for p in (rt, dcl):
            out[p + ".cfg"] = cfg(["-$D-", "-$L-", "-$Y-", "-U..\\Source", "-LE.", "-LN.", "-N."])
            out[p + ".dof"] = dof(p, ".", "..\\Source")
            out[p + ".res"] = res_file([version_res(p, desc)])
        for u in local:
            out[u + ".pas"] = pascal_unit(u, ide.name)
        out["qzlReg.dcr"] = dcr_file(COMPONENTS, int(s) // 10)
        out["Orvane%s.bpg" % s] = bpg(ide, [rt, dcl])
    elif ide.kind == "cb":
        out[rt + "." + ide.make_ext] = makefile(ide, rt, rt_units, False)
        out[dcl + "." + ide.make_ext] = makefile(ide, dcl, dt_units, True)
        out[rt + ".cpp"] = package_cpp(rt, rt_units)
        out[dcl + ".cpp"] = package_cpp(dcl, dt_units)
        for p in (rt, dcl):
            out[p + ".res"] = res_file([version_res(p, desc)])
        for u in ("qzlReg", "qzlPropEds"):
            out[u + ".pas"] = pascal_unit(u, ide.name)
        out["qzlPropEds.dfm"] = dfm("qzPropertiesDlg", "TqzPropertiesDlg")
        out["Orvane%s.bpg" % s] = bpg(ide, [rt, dcl])
        out["ReadMe.txt"] = text("Orvane library 4.07 for C++Builder %s\n\nThe headers of the library are "
                                 "written to the Source folder,\nwhich setup adds to the library path.\n" % s[0])
    else:
        x64 = ide.kind == "x64"
        bds = ide.entry <= 11
        proj = ".bdsproj" if bds else ".dproj"
        ns = ["-NSSystem;Xml;Data;Datasnap;Web;Soap;Vcl;Winapi;System.Win"] if ide.entry >= 16 else []
        switches = ["-$D-", "-$L-", "-$Y-", "-U..\\Source"] + ns
        if not x64:
            switches += ["-LE.", "-LN.", "-N."]
        if ide.cpp or x64:
            switches.append("-JL")
        out[rt + ".dpk"] = dpk(rt, rt_units, ["rtl", "vcl"], desc, False)
        out[dcl + ".dpk"] = dpk(dcl, dt_units, ["rtl", "vcl", "designide", rt], desc + " design-time", True)
        for p, units, design in ((rt, rt_units, False), (dcl, dt_units, True)):
            out[p + ".cfg"] = cfg(switches)
            out[p + ".res"] = res_file([version_res(p, desc)])
            out[p + proj] = msbuild_project(p, units, design, x64, bds)
        if not x64:
            out["qzlReg.pas"] = pascal_unit("qzlReg", ide.name)
            out["qzlReg.dcr"] = dcr_file(COMPONENTS, ide.entry)
            group = "Orvane%s.bdsgroup" % s if bds else "Orvane%s.groupproj" % s
            out[group] = group_project(ide, [rt, dcl])
        if ide.help2:
            out["ReadMe.txt"] = text("Orvane library 4.07 for Borland Developer Studio 2006\n\nThe help of the "
                                     "library is registered with Help 2\nwhen setup installs the context help files.\n")
    for name, shared in block_files(ide):
        if shared is None:
            files[f + "/" + name] = out.pop(name)
    assert not out, sorted(out)
    return files


# ---- Everything else --------------------------------------------------------------
def common_files():
    files = {}
    for u in RT_UNITS + DT_UNITS + CLX_UNITS:
        files["Source/%s.pas" % u] = pascal_unit(u, "all versions")
    for form in FORMS:
        name = form.replace("qzl", "qz") + "Dlg"
        files["Source/%s.dfm" % form] = dfm(name, "T" + name)
    files["Source/qzl.inc"] = text("{ Orvane library - compiler switches }\n{$B-,H+,J+,R-,Q-,X+}\n"
                                   "{$IFDEF VER100} {$DEFINE QZL_D3} {$ENDIF}\n"
                                   "{$IFDEF VER120} {$DEFINE QZL_D4} {$ENDIF}\n"
                                   "{$IFDEF VER130} {$DEFINE QZL_D5} {$ENDIF}\n"
                                   "{$IFDEF CONDITIONALEXPRESSIONS} {$DEFINE QZL_D6UP} {$ENDIF}\n"
                                   "{$DEFINE QZL_TRIAL}\n")
    files["Source/Orvane.dcr"] = dcr_file(COMPONENTS, 0)
    files["Source/qzlib.h"] = text("// Orvane library 4.07 - all components for C++Builder\n#ifndef qzlibH\n"
                                   "#define qzlibH\n" + "".join('#include "%s.hpp"\n' % u for u in RT_UNITS)
                                   + "#endif\n")
    files["Source/qzlbcb.inc"] = text("{ C++Builder: names the headers emit }\n"
                                      "{$HPPEMIT '#pragma link \"qzlStorage\"'}\n{$NODEFINE TqzCustomStorage}\n")
    files["Source/qzlpch.h"] = text("// Precompiled header of the Orvane library packages\n#include <vcl.h>\n"
                                    "#pragma hdrstop\n")
    files["ReadMe.txt"] = text("Orvane library 4.07 (trial version)\n\nComponents for working with the "
                               "application settings:\n" + "".join("  %s\n" % c for c in COMPONENTS)
                               + "\nThe packages are installed into every IDE you chose in setup.\n")
    files["License.txt"] = text("Orvane library - trial version license\n\nCopyright (c) Tarnwick.\n"
                                "You may evaluate this library for 30 days. The trial version ships\n"
                                "compiled units only and shows a reminder at design time.\n")
    files["History.txt"] = text("4.07  Packages for RAD Studio 11 and 10.4.\n4.06  64-bit packages from XE2 on.\n"
                                "4.05  TqzXmlStorage.\n4.00  Design-time editors rewritten.\n")
    topics = ["Overview"] + COMPONENTS
    files["Help/qzlib.hlp"] = winhelp_file(topics)
    files["Help/qzlib.cnt"] = text(":Base qzlib.hlp\n:Title Orvane library\n1 Orvane library\n2 Overview=Overview\n"
                                   + "".join("2 %s=%s\n" % (c, c) for c in COMPONENTS))
    files["Help/qzlib.htm"] = text("<html>\n<head><title>Orvane library</title></head>\n<body>\n"
                                   "<p><img src=\"logo.gif\" alt=\"Orvane\"></p>\n<h1>Orvane library 4.07</h1>\n<ul>\n"
                                   + "".join("<li><img src=\"%s.gif\"> %s</li>\n" % (c, c) for c in COMPONENTS)
                                   + "</ul>\n<p><img src=\"placement.gif\"> <img src=\"propsaver.gif\"> "
                                   "<img src=\"editor.gif\"></p>\n</body>\n</html>\n")
    pictures = ["logo"] + COMPONENTS + ["placement", "propsaver", "editor"]
    for i, name in enumerate(pictures):
        size = (32, 32) if i == 0 else (24, 24) if i <= len(COMPONENTS) else (64, 40)
        files["Help/%s.gif" % name] = gif_file(size[0], size[1], (40 * i % 256, 96, 160))
    keywords = sorted(["Orvane library"] + COMPONENTS + ["RestorePlacement", "SavePlacement", "ReadInteger",
                                                         "WriteInteger"], key=str.lower)
    files["Help/qzlib.als"] = text("".join("%s=qzlib.hlp>main\n" % k for k in keywords))
    files["Help/help_reg.bat"] = text("@echo off\nrem Registers the Orvane library help with Help 2\n"
                                      "cscript //nologo h2reg.vbs -r h2reg_cmd.ini\n")
    files["Help/help_unreg.bat"] = text("@echo off\nrem Removes the Orvane library help from Help 2\n"
                                        "cscript //nologo h2reg.vbs -u h2reg_cmd.ini\n")
    files["Help/qzlib.HxS"] = itss_file("HxS", topics)
    files["Help/qzlib.HxI"] = itss_file("HxI", topics)
    files["Help/h2reg.vbs"] = text("' Registers or removes the namespaces listed in an installation description\n"
                                   "Option Explicit\nDim mode, ini\nmode = WScript.Arguments(0)\n"
                                   "ini = WScript.Arguments(1)\nWScript.Echo \"Help 2 \" & mode & \" \" & ini\n")
    files["Help/h2reg_cmd.ini"] = text("[Main]\nOptionsFlags=0\n[Reg_Namespace]\n"
                                       "Tarnwick.Orvane|qzlib.HxC|Orvane library\n[Reg_Title]\n"
                                       "Tarnwick.Orvane|Orvane|1033|qzlib.HxS|qzlib.HxI\n"
                                       "[Reg_Plugin]\nborland.bds4|_DEFAULT|Tarnwick.Orvane|_DEFAULT\n")
    files["Windows/Orvane.ini"] = text("; Orvane library - templates for TqzIniStorage\n[Placement]\n"
                                       "Section=%s\\Placement\n[PropSaver]\nSection=%s\\Properties\n")
    files["common/dcc32.cfg"] = cfg(["-LEWin32", "-LNWin32", "-NWin32", "-NHWin32"])
    files["common/dcc64.cfg"] = cfg(["-LEWin64", "-LNWin64", "-NWin64", "-NHWin64"])
    files["common/bcbReg.dcr"] = dcr_file(COMPONENTS, 7)
    for project, storage in (("Place", "TqzFormPlacement"), ("Ini", "TqzIniStorage")):
        d = "Demos/Delphi/%s/" % ("Placement" if project == "Place" else "IniStorage")
        files[d + project + "Demo.dpr"] = text("program %sDemo;\n\nuses\n  Forms,\n  %sMain in '%sMain.pas' {MainForm};\n\n"
                                               "{$R *.res}\n\nbegin\n  Application.Initialize;\n"
                                               "  Application.CreateForm(TMainForm, MainForm);\n  Application.Run;\nend.\n"
                                               % (project, project, project))
        files[d + project + "Main.pas"] = text("unit %sMain;\n\ninterface\n\nuses\n  Forms, qzlStorage, qzlIniStorage, "
                                               "qzlFormPlacement;\n\ntype\n  TMainForm = class(TForm)\n"
                                               "    Storage: TqzIniStorage;\n    Placement: TqzFormPlacement;\n  end;\n\n"
                                               "var\n  MainForm: TMainForm;\n\nimplementation\n\n{$R *.dfm}\n\nend.\n" % project)
        files[d + project + "Main.dfm"] = text("object MainForm: TMainForm\n  Caption = '%s demo'\n"
                                               "  object Storage: TqzIniStorage\n    FileName = '..\\..\\Settings\\%s.ini'\n"
                                               "  end\nend\n" % (storage, project))
        c = "Demos/CBuilder/%s/" % ("Placement" if project == "Place" else "IniStorage")
        files[c + project + "Demo.bpr"] = text("VERSION = BCB.06.00\nPROJECT = ..\\Bin\\%sDemo.exe\n"
                                               "OBJFILES = ..\\Obj\\%sDemo.obj\nRESFILES = %sDemo.res\n"
                                               "PACKAGES = vcl.bpi qzl60.bpi\nLIBPATH = ..\\Lib\n"
                                               % (project, project, project))
        files[c + project + "Demo.cpp"] = text("#include <vcl.h>\n#pragma hdrstop\n#include \"qzlib.h\"\n"
                                               "USERES(\"%sDemo.res\");\n\nWINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)\n"
                                               "{\n    Application->Initialize();\n    TForm* form = new TForm(Application);\n"
                                               "    %s* settings = new %s(form);\n    form->Caption = \"%s demo\";\n"
                                               "    Application->Run();\n    return 0;\n}\n"
                                               % (project, storage, storage, storage))
        files[c + project + "Demo.res"] = res_file([version_res(project + "Demo", "Orvane library demo")])
    return files


def all_files(ides):
    files = common_files()
    for ide in ides:
        files.update(ide_files(ide))
    return files
