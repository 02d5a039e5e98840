// Damaged copies of a real "uninst.log" (an installation of the help files
// without IDEs): every truncation, and every byte position changed two ways
// (XOR 0xFF, set to 0). Each copy replaces the installation's log; the
// walker reads it between guard pages, and setup's UninstallPrevious (through
// the uninstall entry) and the deinstaller take turns reading it in process:
// every refused copy, every valid one with a changed header or product
// record, and one in eight of the valid ones that only name another file or
// folder (each costs a removal and a restore). A sample goes to the
// installed "untwk /SILENT". A copy the deinstaller refuses leaves every part of the
// installation in place; a copy whose record chain still holds is a valid
// log that names other things, and may undo what it names, but never a
// canary outside the installation: beside it, above it, in C:\, in the
// Windows and system folders, in the working folder (for relative texts) and
// the registry keys next to the product's.
#include <algorithm>
#include <map>

#include "catalogue/Catalogue.h"
#include "script/Script.h"
#include "support/Handles.h"
#include "support/SharedState.h"
#include "support/Utils.h"
#include "tests/robustness/Residue.h"
#include "tests/robustness/RobustEnv.h"
#include "uninstall/Deinstall.h"
#include "uninstall/UninstLog.h"
#include "uninstall/UntwkResult.h"

namespace {

const wchar_t* const Root = L"C:\\qz-damaged";
const wchar_t* const InstallDir = L"C:\\qz-damaged\\Orvane lib";
// Where the installation that UninstallPrevious runs for writes its logs.
const wchar_t* const NextDir = L"C:\\qz-damaged\\next";
const wchar_t* const WinHelpKey = L"Software\\Microsoft\\Windows\\Help";
constexpr int UntwkDamagedRuns = 24;
constexpr int UntwkValidRuns = 6;
constexpr size_t ValidSample = 8;

std::wstring UninstallKey() { return std::wstring(Product::UninstallRoot) + Product::UninstallKeyName; }

struct TSavedValue {
    std::wstring Name;
    DWORD Type = 0;
    std::vector<uint8_t> Data;
};

struct TSavedKey {
    std::wstring Path;  // below HKLM
    std::vector<TSavedValue> Values;
};

// Every value of the key, or those named in only.
TSavedKey SaveKey(const std::wstring& path, const std::vector<std::wstring>& only = {})
{
    TSavedKey saved{path, {}};
    TRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS)
        return saved;
    wchar_t name[512];
    std::vector<uint8_t> data(65536);
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = 512;
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(key.Get(), i, name, &nameSize, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS)
            break;
        bool wanted = only.empty();
        for (const std::wstring& one : only)
            wanted = wanted || one == name;
        if (wanted)
            saved.Values.push_back({name, type, std::vector<uint8_t>(data.begin(), data.begin() + dataSize)});
    }
    return saved;
}

bool ValuePresent(const std::wstring& path, const std::wstring& name)
{
    TRegKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS &&
           RegQueryValueExW(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void FilesBelow(const std::wstring& folder, std::vector<std::wstring>& folders, std::vector<std::wstring>& files)
{
    folders.push_back(folder);
    for (const std::wstring& name : FolderNames(folder)) {
        const std::wstring path = CombinePath(folder, name);
        if (DirectoryExists(path))
            FilesBelow(path, folders, files);
        else
            files.push_back(path);
    }
}

// What the installation owns, to tell what a removal took and to put it back.
class TInstallation {
public:
    void Capture()
    {
        std::vector<std::wstring> files;
        FilesBelow(InstallDir, FFolders, files);
        files.push_back(CombinePath(GetKindDir(1), L"Orvane.ini"));
        for (const std::wstring& file : files)
            FFiles[file] = ReadFileBytes(file);
        FKeys = {SaveKey(UninstallKey()), SaveKey(Product::RegKey), SaveKey(WinHelpKey, {L"qzlib.hlp", L"qzlib.cnt"})};
    }
    size_t FileCount() const { return FFiles.size(); }
    size_t ValueCount() const
    {
        size_t count = 0;
        for (const TSavedKey& key : FKeys)
            count += key.Values.size();
        return count;
    }

    // The parts that are gone; the log itself is the test's to write.
    std::vector<std::wstring> Missing() const
    {
        std::vector<std::wstring> gone;
        for (const std::wstring& folder : FFolders)
            if (!DirectoryExists(folder))
                gone.push_back(L"D " + folder);
        for (const auto& file : FFiles)
            if (!FileExists(file.first))
                gone.push_back(L"F " + file.first);
        for (const TSavedKey& key : FKeys)
            for (const TSavedValue& value : key.Values)
                if (!ValuePresent(key.Path, value.Name))
                    gone.push_back(L"V " + key.Path + L"|" + value.Name);
        return gone;
    }

    void Restore() const
    {
        for (const std::wstring& folder : FFolders)
            ForceDirectory(folder);
        for (const auto& file : FFiles)
            if (!FileExists(file.first))
                WriteFileBytes(file.first, file.second);
        for (const TSavedKey& key : FKeys) {
            TRegKey handle;
            if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.Path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                handle.Put(), nullptr) != ERROR_SUCCESS)
                continue;
            for (const TSavedValue& value : key.Values)
                RegSetValueExW(handle.Get(), value.Name.c_str(), 0, value.Type, value.Data.data(),
                               static_cast<DWORD>(value.Data.size()));
        }
    }

private:
    std::vector<std::wstring> FFolders;
    std::map<std::wstring, std::string> FFiles;
    std::vector<TSavedKey> FKeys;
};

// Files and registry values the removal of any log of this installation
// must leave, including ones named like the log's texts in the working
// folder (where a relative text would land).
class TCanaries {
public:
    TCanaries()
    {
        FFiles = {std::wstring(Root) + L"\\keep.txt",
                  std::wstring(Root) + L"\\beside\\keep.txt",
                  L"C:\\qz-damaged-canary.txt",
                  CombinePath(GetKindDir(1), L"qz-damaged-canary.txt"),
                  CombinePath(GetKindDir(6), L"qz-damaged-canary.txt"),
                  CombinePath(WorkDir(), L"untwk.exe"),
                  CombinePath(WorkDir(), L"Orvane.ini"),
                  CombinePath(WorkDir(), L"Source\\qzlConsts.pas")};
        FValues = {{std::wstring(Product::UninstallRoot) + L"qz-damaged-canary", L"DisplayName"},
                   {L"Software\\Tarnwick\\qz-damaged-canary", L"Keep"},
                   {WinHelpKey, L"qz-damaged-canary.hlp"}};
        ForceDirectory(std::wstring(Root) + L"\\beside");
        ForceDirectory(CombinePath(WorkDir(), L"Source"));
        for (const std::wstring& file : FFiles)
            WriteFileBytes(file, "canary");
        for (const auto& value : FValues)
            RegWriteStr(HKEY_LOCAL_MACHINE, value.first, value.second, L"canary");
    }
    ~TCanaries()
    {
        for (const std::wstring& file : FFiles)
            DeleteFileW(file.c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, FValues[0].first.c_str());  // Windows' Uninstall key stays
        RegDeleteKeyTree(HKEY_LOCAL_MACHINE, FValues[1].first);
        RegRemoveValue(HKEY_LOCAL_MACHINE, FValues[2].first, FValues[2].second);
    }
    TCanaries(const TCanaries&) = delete;
    TCanaries& operator=(const TCanaries&) = delete;

    static std::wstring WorkDir() { return std::wstring(Root) + L"\\work"; }

    std::vector<std::wstring> Dead() const
    {
        std::vector<std::wstring> dead;
        for (const std::wstring& file : FFiles)
            if (!FileExists(file))
                dead.push_back(file);
        for (const auto& value : FValues)
            if (!ValuePresent(value.first, value.second))
                dead.push_back(value.first + L"|" + value.second);
        return dead;
    }

private:
    std::vector<std::wstring> FFiles;
    std::vector<std::pair<std::wstring, std::wstring>> FValues;
};

struct TDamage {
    std::string Bytes;
    std::string What;
    int Expected;  // PrepareUninstFile's result when the test can tell, else 1
    int Reader;    // 0 UninstallPrevious, 1 the deinstaller
    bool Always;   // undone even when valid: a change of the header or a product record
};

// Record boundaries of an intact log, for the truncations that stay valid.
std::vector<size_t> Boundaries(const std::string& log)
{
    std::vector<size_t> ends = {LogHeaderSize};
    size_t pos = LogHeaderSize;
    TLogRecord record;
    while (ReadLogRecordForward(reinterpret_cast<const uint8_t*>(log.data()), LogHeaderSize, log.size(), pos,
                                record) == TLogStep::Record)
        ends.push_back(pos);
    return ends;
}

std::vector<TDamage> Damages(const std::string& log)
{
    std::vector<TDamage> damages;
    const std::vector<size_t> ends = Boundaries(log);
    for (size_t length = 0; length <= log.size(); ++length) {
        int expected = -5;
        if (length == 0)
            expected = -3;
        else if (length < LogHeaderSize)
            expected = -4;
        else if (std::find(ends.begin(), ends.end(), length) != ends.end())
            expected = 0;
        damages.push_back({log.substr(0, length), "truncated to " + std::to_string(length), expected,
                           static_cast<int>(length % 2), true});
    }
    for (size_t at = 0; at < log.size(); ++at) {
        const uint8_t old = static_cast<uint8_t>(log[at]);
        const size_t start = at < LogHeaderSize ? 0 : *(std::upper_bound(ends.begin(), ends.end(), at) - 1);
        TLogRecord record;
        size_t pos = start;
        const bool always = at < LogHeaderSize ||
                            (ReadLogRecordForward(reinterpret_cast<const uint8_t*>(log.data()), LogHeaderSize,
                                                  log.size(), pos, record) == TLogStep::Record &&
                             TypeIdOf(record.Id) == opLogProductInfo);
        const std::pair<const char*, uint8_t> changes[] = {{"xor 0xff", static_cast<uint8_t>(old ^ 0xFF)},
                                                           {"zero", 0}};
        // Each reader gets both changes, at every other position.
        for (size_t k = 0; k < 2; ++k) {
            if (changes[k].second == old)
                continue;
            std::string bytes = log;
            bytes[at] = static_cast<char>(changes[k].second);
            damages.push_back({bytes, "byte " + std::to_string(at) + " " + changes[k].first, 1,
                               static_cast<int>((at + k) % 2), always});
        }
    }
    return damages;
}

struct TVirtualMemTraits {
    using THandle = void*;
    static THandle Empty() noexcept { return nullptr; }
    static bool Close(THandle p) noexcept { return VirtualFree(p, 0, MEM_RELEASE) != FALSE; }
};
using TVirtualMem = TUniqueHandle<TVirtualMemTraits>;

// Where the walks' reads end up, so that they are made.
volatile unsigned Sink = 0;

// The walks the deinstaller makes, over a copy that touches a page no one
// may read at its end and then at its start: a read outside it faults.
void WalkGuarded(const std::string& bytes)
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize;
    const size_t inner = (bytes.size() / page + 1) * page;
    TVirtualMem region(VirtualAlloc(nullptr, inner + 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    REQUIRE(region);
    auto* base = static_cast<uint8_t*>(region.Get());
    DWORD old = 0;
    REQUIRE(VirtualProtect(base, page, PAGE_NOACCESS, &old));
    REQUIRE(VirtualProtect(base + page + inner, page, PAGE_NOACCESS, &old));
    for (uint8_t* data : {base + page + inner - bytes.size(), base + page}) {
        std::copy(bytes.begin(), bytes.end(), data);
        const size_t size = bytes.size();
        if (!IsLogHeader(data, size))
            continue;
        ValidateLogRecords(data, size);
        unsigned sum = 0;
        TLogRecord record;
        size_t pos = LogHeaderSize;
        while (ReadLogRecordForward(data, LogHeaderSize, size, pos, record) == TLogStep::Record)
            for (size_t i = 0; i < record.TextSize; ++i)
                sum += record.Text[i];
        pos = size;
        while (ReadLogRecordBackward(data, LogHeaderSize, size, pos, record) == TLogStep::Record)
            for (size_t i = 0; i < record.TextSize; ++i)
                sum += record.Text[i];
        Sink = sum;
    }
}

// setup's removal of an earlier installation: the uninstall entry names the
// log. The installation it runs for lies elsewhere (NextDir).
void RunUninstallPrevious()
{
    Shared.InstallDir = NextDir;
    TScript script;
    script.Start();
}

int RunDeinstall(const std::wstring& log)
{
    TDeinstall deinstall;
    const int prepared = deinstall.PrepareUninstFile(log);
    // Also when refused: nothing may come of a log it did not load.
    deinstall.PrepareDeinstall();
    deinstall.DoDeinstall();
    return prepared;
}

// Evenly spread picks of count out of indices.
std::vector<size_t> Spread(const std::vector<size_t>& indices, int count)
{
    std::vector<size_t> picked;
    for (int i = 0; i < count && !indices.empty(); ++i)
        picked.push_back(indices[indices.size() * static_cast<size_t>(i) / static_cast<size_t>(count)]);
    return picked;
}

// untwk from the installation, as Programs and Features starts it quietly;
// waits for its self-removal when it got that far.
DWORD RunQuietUntwk()
{
    std::wstring command;
    REQUIRE(RegReadStr(HKEY_LOCAL_MACHINE, UninstallKey(), L"QuietUninstallString", command));
    const DWORD exitCode = RunProcess(command, L"", 60000);
    const std::vector<std::wstring> left = FolderNames(InstallDir);
    if (left.size() == 1 && left[0] == L"untwk.exe")
        for (DWORD start = GetTickCount(); PathExists(InstallDir) && GetTickCount() - start < 10000;)
            Sleep(50);
    return exitCode;
}

}  // namespace

TEST_SUITE("damaged")
{
TEST_CASE("damaged logs: refused whole, or valid and confined to the installation")
{
    ScrubInstallation(InstallDir);
    RemoveTree(Root);
    REQUIRE(ForceDirectory(Root) == 0);
    TCanaries canaries;
    const TRun install = Headless(L"--dir " + QuotePath(InstallDir) + L" --items help");
    INFO(install.Output);
    REQUIRE(install.Exit == 0);
    const std::wstring logPath = CombinePath(InstallDir, L"uninst.log");
    const std::string log = ReadFileBytes(logPath);
    REQUIRE(log.size() > 500);
    TInstallation installation;
    installation.Capture();
    REQUIRE(installation.FileCount() > 20);
    REQUIRE(installation.ValueCount() > 10);

    wchar_t previousDir[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previousDir);
    REQUIRE(SetCurrentDirectoryW(TCanaries::WorkDir().c_str()));

    const std::vector<TDamage> damages = Damages(log);
    std::vector<size_t> refused;
    std::vector<size_t> valid;
    int undone = 0;
    for (size_t i = 0; i < damages.size(); ++i) {
        const TDamage& damage = damages[i];
        INFO(damage.What);
        WalkGuarded(damage.Bytes);
        REQUIRE(WriteFileBytes(logPath, damage.Bytes));
        const int prepared = TDeinstall().PrepareUninstFile(logPath);
        if (damage.Expected != 1)
            CHECK(prepared == damage.Expected);
        if (prepared == 0) {
            valid.push_back(i);
            // Undoing a valid copy costs a removal and a restore: those that
            // only name another file or folder are taken one in ValidSample.
            if (!damage.Always && valid.size() % ValidSample != 0)
                continue;
        }
        if (damage.Reader == 0)
            RunUninstallPrevious();
        else
            CHECK(RunDeinstall(logPath) == prepared);
        if (prepared != 0) {
            CHECK((prepared == -3 || prepared == -4 || prepared == -5));
            refused.push_back(i);
            const std::vector<std::wstring> missing = installation.Missing();
            CHECK_MESSAGE(missing.empty(), Lines(missing));
        } else {
            undone += installation.Missing().empty() ? 0 : 1;
        }
        const std::vector<std::wstring> dead = canaries.Dead();
        REQUIRE_MESSAGE(dead.empty(), Lines(dead));
        installation.Restore();
    }
    MESSAGE(damages.size() << " copies: " << refused.size() << " refused, " << valid.size() << " valid, "
                           << undone << " undone in part or whole");
    // The sweep reached both kinds, and the valid copies did remove things.
    CHECK(refused.size() > 1000);
    CHECK(valid.size() > 800);
    CHECK(undone > 200);

    // untwk /SILENT: exit code 3 and a reason for a refused copy, never a crash.
    const std::wstring reason = CombinePath(InstallDir, ReasonFileName);
    for (size_t i : Spread(refused, UntwkDamagedRuns)) {
        INFO(damages[i].What);
        REQUIRE(WriteFileBytes(logPath, damages[i].Bytes));
        CHECK(RunQuietUntwk() == uxInvalidLog);
        CHECK(ReadFileBytes(reason).find("Invalid") == 0);
        DeleteFileW(reason.c_str());
        const std::vector<std::wstring> missing = installation.Missing();
        CHECK_MESSAGE(missing.empty(), Lines(missing));
    }
    for (size_t i : Spread(valid, UntwkValidRuns)) {
        INFO(damages[i].What);
        REQUIRE(WriteFileBytes(logPath, damages[i].Bytes));
        const DWORD exitCode = RunQuietUntwk();
        CHECK((exitCode == uxSuccess || exitCode == uxWalkStopped));
        const std::vector<std::wstring> dead = canaries.Dead();
        CHECK_MESSAGE(dead.empty(), Lines(dead));
        DeleteFileW(reason.c_str());
        installation.Restore();
    }

    SetCurrentDirectoryW(previousDir);
    ScrubInstallation(InstallDir);
    RemoveTree(Root);
}
}
