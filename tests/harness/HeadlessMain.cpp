// qz_headless: the product's install script run without the wizard, the way
// the progress page walks it and the finish page stores it, for tests and
// benchmarks. Uses the engine and payload of setup, and the fake IDEs of
// tests/fakeide.
//
// Install:
//   qz_headless --dir <path> [--versions <hex>] [--items <hex|names>]
//               [--customize <hex>] [--copy-only] [--kill-at <index>]
//     --dir        installation directory (created by the engine)
//     --versions   InstallVersions: catalogue InternalId bits; only detected
//                  IDEs are chosen, as on the selection page, and each chosen
//                  IDE's selection row is added to InstallItems
//     --items      further InstallItems bits: a hex mask or a comma list of
//                  help, delphi-demos, cbuilder-demos, all (help and both
//                  demo rows), or a selection row's name
//     --customize  CustomizeItems (default 5)
//     --copy-only  as setup's /C: only control and file items run
//     --kill-at    TerminateProcess on itself, exit code 3, just before the
//                  walk performs item <index> (0-based), as a killed setup
//   Start, the walk with every error reported, the product key's seven values,
//   Stop. Output: one "fail item=..." line per failed item, then
//     qz_headless: dir=<dir> versions=0x.. items=0x.. missing=0x.. failed=<n> ms=<t>
//   (missing: requested versions not detected). Exit 0, or 2 when an item
//   failed.
//
// Fake IDEs (each in <root>\IDE <entry>, see tests/harness/FakeIdeSet.h):
//   qz_headless --make-ides <root> --versions <hex> [--no64]
//   qz_headless --remove-ides <root> --versions <hex>
//   --make-ides may be combined with --dir: the IDEs are made first.
//
// Removal without dialog, as setup's UninstallPrevious does it:
//   qz_headless --uninstall <log path> [--partial]
//   Exit 0, or 2 with PrepareUninstFile's result printed when the log is
//   refused.
//
// Any other exit: 1, with the usage error printed.
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "catalogue/Catalogue.h"
#include "script/Script.h"
#include "support/SharedState.h"
#include "support/Utils.h"
#include "tests/harness/FakeIdeSet.h"
#include "uninstall/Deinstall.h"
#include "wizard/Choices.h"

namespace {

constexpr UINT KilledExit = 3;

void Print(const std::wstring& line)
{
    const std::string bytes = WideToUtf8(line + L"\n");
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::wstring Hex(uint32_t value)
{
    wchar_t text[16];
    swprintf(text, 16, L"0x%x", value);
    return text;
}

bool ParseHex(const std::wstring& text, uint32_t& value)
{
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    value = static_cast<uint32_t>(wcstoul(text.c_str(), &end, 16));
    return end && *end == L'\0';
}

bool ParseItems(const std::wstring& text, uint32_t& value)
{
    if (ParseHex(text, value))
        return true;
    value = 0;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find(L',', begin);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring name = LowerCase(text.substr(begin, end - begin));
        if (name == L"help")
            value |= 0x80;
        else if (name == L"delphi-demos")
            value |= 0x100;
        else if (name == L"cbuilder-demos")
            value |= 0x200;
        else if (name == L"all")
            value |= 0x380;
        else {
            bool found = false;
            for (const TCustomizeItem& row : CustomizeList)
                if (LowerCase(row.Name) == name) {
                    value |= row.ItemBit;
                    found = true;
                }
            if (!found)
                return false;
        }
        begin = end + 1;
    }
    return true;
}

struct TOptions {
    std::wstring Dir;
    std::wstring MakeIdes;
    std::wstring RemoveIdes;
    std::wstring UninstallLog;
    uint32_t Versions = 0;
    uint32_t Items = 0;
    uint32_t Customize = 5;
    int KillAt = -1;
    bool CopyOnly = false;
    bool No64 = false;
    bool Partial = false;
};

// Empty on success, else what was wrong.
std::wstring ParseOptions(int argc, wchar_t** argv, TOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::wstring name = argv[i];
        if (name == L"--copy-only") {
            options.CopyOnly = true;
            continue;
        }
        if (name == L"--no64") {
            options.No64 = true;
            continue;
        }
        if (name == L"--partial") {
            options.Partial = true;
            continue;
        }
        if (i + 1 >= argc)
            return name + L" needs a value";
        const std::wstring value = argv[++i];
        if (name == L"--dir")
            options.Dir = value;
        else if (name == L"--make-ides")
            options.MakeIdes = value;
        else if (name == L"--remove-ides")
            options.RemoveIdes = value;
        else if (name == L"--uninstall")
            options.UninstallLog = value;
        else if (name == L"--versions") {
            if (!ParseHex(value, options.Versions))
                return L"bad --versions " + value;
        } else if (name == L"--items") {
            if (!ParseItems(value, options.Items))
                return L"bad --items " + value;
        } else if (name == L"--customize") {
            if (!ParseHex(value, options.Customize))
                return L"bad --customize " + value;
        } else if (name == L"--kill-at") {
            wchar_t* end = nullptr;
            options.KillAt = static_cast<int>(wcstol(value.c_str(), &end, 10));
            if (!end || *end != L'\0' || options.KillAt < 0)
                return L"bad --kill-at " + value;
        } else
            return L"unknown option " + name;
    }
    if (options.Dir.empty() && options.MakeIdes.empty() && options.RemoveIdes.empty() &&
        options.UninstallLog.empty())
        return L"nothing to do: give --dir, --make-ides, --remove-ides or --uninstall";
    return L"";
}

// The masks as the selection page leaves them: detected IDEs only, each with
// its selection row.
uint32_t Select(const TOptions& options)
{
    DetectInstalledIdes();
    uint32_t versions = 0;
    uint32_t items = options.Items;
    for (TBorlandProduct& ide : IdeCatalogue) {
        ide.Selected = ide.Exists && (ide.InternalId & options.Versions) != 0;
        if (!ide.Selected)
            continue;
        versions |= ide.InternalId;
        for (const TCustomizeItem& row : CustomizeList)
            if (row.IdeMask == ide.InternalId)
                items |= row.ItemBit;
    }
    Shared.InstallVersions = versions;
    Shared.InstallItems = items;
    Shared.CustomizeItems = options.Customize;
    return options.Versions & ~versions;
}

int Install(const TOptions& options)
{
    Shared.flCopyOnly = options.CopyOnly;
    Shared.InstallDir = options.Dir;
    const uint32_t missing = Select(options);
    const DWORD started = GetTickCount();
    int failed = 0;
    {
        TScript script;
        script.Start();
        std::wstring status;
        while (script.Current() < script.Count()) {
            if (script.Current() == options.KillAt)
                TerminateProcess(GetCurrentProcess(), KilledExit);
            script.ItemText(status);
            const int error = script.ItemDoScript();
            if (error != 0) {
                ++failed;
                Print(L"fail item=" + std::to_wstring(script.Current()) + L" id=" + Hex(script.CurrentItem().Id) +
                      L" result=" + Hex(static_cast<uint32_t>(error)) + L" text=" + script.LogString());
            }
            script.SetCurrent(script.Current() + script.ItemProgressStep());
        }
        if (!SaveInstallInfo()) {
            ++failed;
            Print(L"fail product key values not written");
        }
    }
    Print(L"qz_headless: dir=" + options.Dir + L" versions=" + Hex(Shared.InstallVersions) + L" items=" +
          Hex(Shared.InstallItems) + L" missing=" + Hex(missing) + L" failed=" + std::to_wstring(failed) +
          L" ms=" + std::to_wstring(GetTickCount() - started));
    return failed == 0 ? 0 : 2;
}

int Uninstall(const TOptions& options)
{
    TDeinstall deinstall;
    const int prepared = deinstall.PrepareUninstFile(options.UninstallLog);
    if (prepared != 0) {
        Print(L"qz_headless: log refused, PrepareUninstFile=" + std::to_wstring(prepared));
        return 2;
    }
    const DWORD started = GetTickCount();
    deinstall.PrepareDeinstall();
    deinstall.flPartialUninstall = options.Partial;
    deinstall.DoDeinstall();
    Print(L"qz_headless: removed " + options.UninstallLog + L" ms=" + std::to_wstring(GetTickCount() - started));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    TOptions options;
    const std::wstring error = ParseOptions(argc, argv, options);
    if (!error.empty()) {
        Print(L"qz_headless: " + error);
        return 1;
    }
    if (!options.RemoveIdes.empty()) {
        RemoveFakeIdes(options.Versions, options.RemoveIdes);
        Print(L"qz_headless: removed fake IDEs " + Hex(options.Versions) + L" from " + options.RemoveIdes);
    }
    if (!options.MakeIdes.empty()) {
        if (!MakeFakeIdes(options.Versions, options.MakeIdes, !options.No64)) {
            Print(L"qz_headless: could not make the fake IDEs in " + options.MakeIdes);
            return 1;
        }
        Print(L"qz_headless: made fake IDEs " + Hex(options.Versions) + L" in " + options.MakeIdes);
    }
    if (!options.UninstallLog.empty())
        return Uninstall(options);
    return options.Dir.empty() ? 0 : Install(options);
}
