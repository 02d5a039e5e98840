// setup.exe /SILENT and /VERYSILENT against fake IDEs: the choices they
// make, what they install and register, the logs, and each exit code.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "catalogue/Catalogue.h"
#include "support/Handles.h"
#include "support/Utils.h"
#include "tests/common/TestEnv.h"
#include "tests/fakeide/FakeIde.h"

namespace {

constexpr int Delphi7 = 9;  // catalogue entries
constexpr int XE2 = 16;
const std::wstring UninstallKey = std::wstring(Product::UninstallRoot) + Product::UninstallKeyName;
const wchar_t* const HelpKey = L"Software\\Microsoft\\Windows\\Help";

// What an installation leaves outside its folder: removed before and after.
class TMachineState {
public:
    TMachineState()
    {
        for (const TPackageTarget& target : PackageTargets)
            if (target.DirKind == 6 && !PathExists(CombinePath(GetKindDir(6), target.Name)))
                FNewPackages.push_back(CombinePath(GetKindDir(6), target.Name));
        FNewTemplates = !PathExists(CombinePath(GetKindDir(1), L"Orvane.ini"));
        Clean();
    }
    ~TMachineState()
    {
        for (const std::wstring& path : FNewPackages)
            DeleteFileW(path.c_str());
        if (FNewTemplates)
            DeleteFileW(CombinePath(GetKindDir(1), L"Orvane.ini").c_str());
        Clean();
    }

private:
    static void Clean()
    {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, UninstallKey.c_str());
        RegRemoveValue(HKEY_LOCAL_MACHINE, HelpKey, L"qzlib.hlp");
        RegRemoveValue(HKEY_LOCAL_MACHINE, HelpKey, L"qzlib.cnt");
        RegDeleteKeyTree(HKEY_LOCAL_MACHINE, Product::RegKey);
    }
    std::vector<std::wstring> FNewPackages;
    bool FNewTemplates = false;
};

// Fake IDEs with all their compilers, removed with their folder.
class TFakeIdes {
public:
    explicit TFakeIdes(std::initializer_list<int> entries)
    {
        for (int entry : entries) {
            REQUIRE(CreateFakeIde(entry, Root(entry)));
            FEntries.push_back(entry);
        }
    }
    ~TFakeIdes()
    {
        for (int entry : FEntries)
            RemoveFakeIde(entry, Root(entry));
    }
    std::wstring Root(int entry) const { return FDir / (L"IDE " + std::to_wstring(entry)); }

private:
    TScratchDir FDir{L"ides"};
    std::vector<int> FEntries;
};

DWORD RunSetup(const std::wstring& arguments)
{
    return RunProcess(QuotePath(BinPath(L"setup.exe")) + L" " + arguments, L"", 600000);
}

std::wstring MachineValue(const std::wstring& key, const wchar_t* name)
{
    std::wstring text;
    return RegReadStr(HKEY_LOCAL_MACHINE, key, name, text) ? text : L"<absent>";
}

uint32_t MachineInt(const std::wstring& key, const wchar_t* name)
{
    uint32_t value = 0xDEADBEEF;
    RegReadInt(HKEY_LOCAL_MACHINE, key, name, value);
    return value;
}

bool ProductKeyExists()
{
    TRegKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, Product::RegKey, 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

std::wstring LogLine(const std::wstring& log, const std::wstring& start)
{
    const size_t at = log.find(L"\r\n" + start);
    if (at == std::wstring::npos)
        return L"<none>";
    return log.substr(at + 2, log.find(L"\r\n", at + 2) - at - 2);
}

uint64_t TreeBytes(const std::wstring& folder)
{
    uint64_t total = 0;
    WIN32_FIND_DATAW data;
    TFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find)
        return 0;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            total += TreeBytes(folder + L"\\" + name);
        else
            total += (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    } while (FindNextFileW(find.Get(), &data));
    return total;
}

void CheckMasks(uint32_t versions, uint32_t items)
{
    CHECK(MachineInt(Product::RegKey, Product::ValInstallVersions) == versions);
    CHECK(MachineInt(Product::RegKey, Product::ValInstallItems) == items);
}

}  // namespace

TEST_CASE("running IDEs are found by their program inside the chosen IDE's bin folder")
{
    TFakeIdes ides{XE2, Delphi7};
    DetectInstalledIdes();
    TScratchDir elsewhere(L"elsewhere");
    TRunningProgram bds(ides.Root(XE2) + L"\\bin\\bds.exe");
    TRunningProgram stray(elsewhere / L"bds.exe");  // same name, other folder

    const std::vector<TRunningIde> found = FindRunningIdes(IdeByIndex(XE2)->InternalId | IdeByIndex(Delphi7)->InternalId);
    REQUIRE(found.size() == 1);
    CHECK(found[0].Ide == IdeByIndex(XE2));
    CHECK(found[0].ProcessId == bds.Id());
    CHECK(LowerCase(found[0].Image) == LowerCase(ides.Root(XE2) + L"\\bin\\bds.exe"));
    CHECK(DescribeRunningIdes(found) == L"RAD Studio XE2 (" + found[0].Image + L")\r\n");

    CHECK(FindRunningIdes(IdeByIndex(Delphi7)->InternalId).empty());  // not chosen
    CHECK(std::wstring(IdeProcessName(*IdeByIndex(Delphi7))) == L"delphi32.exe");
    CHECK(std::wstring(IdeProcessName(*IdeByIndex(8))) == L"bcb.exe");
    CHECK(std::wstring(IdeProcessName(*IdeByIndex(10))) == L"bds.exe");
    bds.End();
    CHECK(FindRunningIdes(IdeByIndex(XE2)->InternalId).empty());
}

TEST_CASE("/VERYSILENT installs the wizard's preset and registers a full Programs and Features entry")
{
    TMachineState machine;
    TFakeIdes ides{Delphi7, XE2};
    TScratchDir scratch(L"silent");
    const std::wstring install = scratch / L"Orvane Library";
    const std::wstring copy = scratch / L"copy of install.log";

    REQUIRE(RunSetup(L"/VERYSILENT /DIR=\"" + install + L"\" /log=\"" + copy + L"\"") == 0);

    for (const wchar_t* file : {L"untwk.exe", L"uninst.log", L"Source\\qzlabout.dll", L"Help\\qzlib.hlp"})
        CHECK_MESSAGE(FileExists(CombinePath(install, file)), Narrow(file));
    for (const wchar_t* package : {L"qzl70.bpl", L"qzl160.bpl"})
        CHECK_MESSAGE(FileExists(CombinePath(GetKindDir(6), package)), Narrow(package));

    // The wizard's preset: every installed IDE and extra row.
    CheckMasks(0x100 | 0x8000, 0x400 | 0x20000 | 0x80 | 0x100 | 0x200);
    CHECK(MachineValue(Product::RegKey, Product::ValRootDir) == install);

    const std::string logBytes = ReadFileBytes(install + L"\\install.log");
    CHECK(ReadFileBytes(copy) == logBytes);
    const std::wstring log = ReadUtf16File(install + L"\\install.log");
    CHECK(LogLine(log, L"Borland products: ") == L"Borland products: Delphi7,RADStudio9");
    CHECK(log.find(L"Error in ScriptItem") == std::wstring::npos);

    CHECK(MachineValue(UninstallKey, L"DisplayVersion") == L"4.07");
    CHECK(MachineValue(UninstallKey, L"Publisher") == L"Tarnwick");
    CHECK(MachineValue(UninstallKey, L"InstallLocation") == install);
    CHECK(MachineValue(UninstallKey, L"URLInfoAbout") == Product::ProductUrl);
    CHECK(MachineInt(UninstallKey, L"NoModify") == 1);
    CHECK(MachineInt(UninstallKey, L"NoRepair") == 1);
    const uint32_t estimated = MachineInt(UninstallKey, L"EstimatedSize");
    const uint64_t installedKb = TreeBytes(install) / 1024;
    MESSAGE("EstimatedSize " << estimated << " KB, installation folder " << installedKb << " KB");
    CHECK(estimated >= installedKb);
    CHECK(estimated < installedKb + 20000);  // kilobytes, not bytes
}

TEST_CASE("/IDES and /ITEMS pick exactly the named versions and extra rows")
{
    TMachineState machine;
    TFakeIdes ides{Delphi7, XE2};
    TScratchDir scratch(L"pick");
    const std::wstring install = scratch / L"Orvane";

    REQUIRE(RunSetup(L"/silent /Ides=delphi7 -ITEMS=help /DIR=" + install) == 0);
    CheckMasks(0x100, 0x400 | 0x80);
    CHECK(MachineValue(Product::RegKey, Product::ValRootDir) == install);
    const std::wstring log = ReadUtf16File(install + L"\\install.log");
    CHECK(LogLine(log, L"Borland products: ") == L"Borland products: Delphi7");
    CHECK(FileExists(install + L"\\Help\\qzlib.hlp"));
    CHECK_FALSE(DirectoryExists(install + L"\\RADStudio9"));
    CHECK(log.find(L"qzl160") == std::wstring::npos);
}

TEST_CASE("bad parameters end with exit code 1 before anything is installed")
{
    TMachineState machine;
    TFakeIdes ides{Delphi7};
    TScratchDir scratch(L"bad");
    const std::wstring install = scratch / L"Orvane";
    const std::wstring logFile = scratch / L"reason.log";
    struct TCase {
        std::wstring Arguments;
        const wchar_t* Reason;  // part of the message in the /LOG file
    };
    const TCase cases[] = {
        {L"/VERYSILENT /DIR=" + GetKindDir(1), L"cannot install into"},  // the Windows folder
        {L"/VERYSILENT /DIR=relative\\Orvane", L"cannot install into"},
        {L"/VERYSILENT /DIR=C:\\", L"cannot install into"},
        {L"/VERYSILENT /DIR=" + install + L" /IDES=Delphi99", L"unknown IDE version \"Delphi99\""},
        {L"/VERYSILENT /DIR=" + install + L" /IDES=Delphi3", L"Delphi3 is not installed"},
        {L"/VERYSILENT /DIR=" + install + L" /ITEMS=help,manual", L"unknown item \"manual\""},
        {L"/VERYSILENT /DIR", L"a value is needed"},
        {L"/SILENT=yes /DIR=" + install, L"takes no value"},
        {L"/VERYSILENT /DIR=" + install + L" /IDES= /ITEMS=", L"Nothing to install"},
    };
    for (const TCase& c : cases) {
        CAPTURE(Narrow(c.Arguments));
        DeleteFileW(logFile.c_str());
        CHECK(RunSetup(c.Arguments + L" /LOG=\"" + logFile + L"\"") == 1);
        CHECK(ReadUtf16File(logFile).find(c.Reason) != std::wstring::npos);
        CHECK_FALSE(PathExists(install));
        CHECK_FALSE(ProductKeyExists());
    }
}

TEST_CASE("a failed item ends with exit code 2 and its error in both logs")
{
    TMachineState machine;
    TFakeIdes ides{Delphi7};
    // A compiler that cannot be started fails every compile of the version.
    REQUIRE(WriteFileBytes(ides.Root(Delphi7) + L"\\bin\\dcc32.exe", ""));
    TScratchDir scratch(L"fail");
    const std::wstring install = scratch / L"Orvane";
    const std::wstring copy = scratch / L"copy.log";

    CHECK(RunSetup(L"/VERYSILENT /IDES=Delphi7 /ITEMS= /DIR=" + install + L" /LOG=" + copy) == 2);
    const std::wstring log = ReadUtf16File(install + L"\\install.log");
    const size_t error = log.find(L"\r\nError in ScriptItem=");
    REQUIRE(error != std::wstring::npos);
    CHECK(log.find(L"...Fail", error) != std::wstring::npos);
    CHECK(ReadFileBytes(copy) == ReadFileBytes(install + L"\\install.log"));
    CheckMasks(0x100, 0x400);  // the finish step still records the installation
}

TEST_CASE("setup that cannot start ends with exit code 3")
{
    TMachineState machine;
    TFakeIdes ides{XE2};
    TScratchDir scratch(L"nostart");
    const std::wstring logFile = scratch / L"reason.log";

    SUBCASE("the destination lies below a file")
    {
        REQUIRE(WriteFileBytes(scratch / L"file.txt", "x"));
        CHECK(RunSetup(L"/VERYSILENT /DIR=\"" + (scratch / L"file.txt\\Orvane") + L"\" /LOG=" + logFile) == 3);
        CHECK(ReadUtf16File(logFile).find(L"Cannot create") != std::wstring::npos);
        CHECK_FALSE(ProductKeyExists());
    }
    SUBCASE("a chosen IDE is running, unless /FORCE")
    {
        const std::wstring install = scratch / L"Orvane";
        TRunningProgram bds(ides.Root(XE2) + L"\\bin\\bds.exe");
        CHECK(RunSetup(L"/VERYSILENT /IDES=RADStudio9 /ITEMS= /DIR=" + install + L" /LOG=" + logFile) == 3);
        const std::wstring reason = ReadUtf16File(logFile);
        CHECK(reason.find(L"/FORCE") != std::wstring::npos);
        CHECK(LowerCase(reason).find(LowerCase(ides.Root(XE2) + L"\\bin\\bds.exe")) != std::wstring::npos);
        CHECK_FALSE(PathExists(install));

        CHECK(RunSetup(L"/VERYSILENT /FORCE /IDES=RADStudio9 /ITEMS= /DIR=" + install) == 0);
        const std::wstring log = ReadUtf16File(install + L"\\install.log");
        CHECK_MESSAGE(log.find(L"Error in ScriptItem") == std::wstring::npos,
                      Narrow(log.substr(std::min(log.size(), log.find(L"Error in ScriptItem")))));
        CHECK(log.find(L"Installed while these IDEs ran (/FORCE): RAD Studio XE2") !=
              std::wstring::npos);
        CheckMasks(0x8000, 0x20000);
    }
}
