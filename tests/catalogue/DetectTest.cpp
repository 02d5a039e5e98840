#include "catalogue/Catalogue.h"
#include "support/Utils.h"
#include "tests/common/TestEnv.h"

namespace {

// The IDE keys this test fakes; none of them may exist beforehand.
constexpr int Delphi4 = 2, Delphi5 = 3, CBuilder3 = 4, CBuilder4 = 5, CBuilder5 = 6, Delphi6 = 7;

// Deletes the fake IDE keys and the vendor keys they left empty.
void RemoveFakeKey(HKEY root, const std::wstring& path)
{
    RegDeleteTreeW(root, path.c_str());
    std::wstring parent = path;
    for (size_t cut; (cut = parent.rfind(L'\\')) != std::wstring::npos && parent.find(L'\\') != cut;) {
        parent.resize(cut);
        if (RegDeleteKeyW(root, parent.c_str()) != ERROR_SUCCESS)  // fails while not empty
            break;
    }
}

class TFakeIdes {
public:
    TFakeIdes()
    {
        for (int index : {Delphi4, Delphi5, CBuilder3, CBuilder4, CBuilder5, Delphi6})
            for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
                REQUIRE_MESSAGE(!RegKeyExists(root, IdeByIndex(index)->RegKey), "someone else's IDE key");
    }
    ~TFakeIdes()
    {
        for (const auto& made : FMade)
            RemoveFakeKey(made.first, made.second);
    }
    void SetRootDir(HKEY root, int index, DWORD type, const std::wstring& value)
    {
        FMade.emplace_back(root, IdeByIndex(index)->RegKey);
        REQUIRE(SetRegText(root, IdeByIndex(index)->RegKey, L"RootDir", value, type));
    }

private:
    std::vector<std::pair<HKEY, std::wstring>> FMade;
};

// An IDE folder with the given programs below "bin".
std::wstring MakeIde(const TScratchDir& dir, const std::wstring& name, std::initializer_list<const wchar_t*> tools)
{
    const std::wstring root = dir / name;
    REQUIRE(ForceDirectory(root + L"\\bin") == 0);
    for (const wchar_t* tool : tools)
        REQUIRE(WriteFileBytes(root + L"\\bin\\" + tool, "MZ"));
    return root;
}

}  // namespace

TEST_CASE("DetectInstalledIdes finds usable IDEs under HKLM and HKCU")
{
    TScratchDir dir(L"detect");
    TFakeIdes fakes;

    const std::wstring d4 = MakeIde(dir, L"d4", {L"make.exe"});
    const std::wstring d5 = MakeIde(dir, L"d5", {L"dcc32.exe"});
    const std::wstring cb3 = MakeIde(dir, L"cb3", {L"make.exe"});
    const std::wstring cb4 = MakeIde(dir, L"cb4", {L"dcc32.exe"});
    const std::wstring cb5 = dir / L"gone";
    const std::wstring d6 = MakeIde(dir, L"d6", {L"dcc32.exe"});
    const std::wstring d6user = MakeIde(dir, L"d6user", {L"dcc32.exe"});

    fakes.SetRootDir(HKEY_LOCAL_MACHINE, Delphi4, REG_SZ, d4 + L"\\\\");   // trailing separators
    fakes.SetRootDir(HKEY_LOCAL_MACHINE, Delphi5, REG_EXPAND_SZ, d5);      // wrong type
    fakes.SetRootDir(HKEY_CURRENT_USER, CBuilder3, REG_SZ, cb3);           // only under HKCU
    fakes.SetRootDir(HKEY_CURRENT_USER, CBuilder4, REG_SZ, cb4 + L"\\");   // no make.exe
    fakes.SetRootDir(HKEY_LOCAL_MACHINE, CBuilder5, REG_SZ, cb5);          // no folder
    fakes.SetRootDir(HKEY_LOCAL_MACHINE, Delphi6, REG_SZ, d6);             // HKLM wins
    fakes.SetRootDir(HKEY_CURRENT_USER, Delphi6, REG_SZ, d6user);

    struct {
        int Index;
        bool Exists;
        std::wstring RootDir;  // kept although unusable
    } const expected[] = {{Delphi4, false, d4}, {Delphi5, false, L""}, {CBuilder3, true, cb3},
                          {CBuilder4, false, cb4}, {CBuilder5, false, cb5}, {Delphi6, true, d6}};
    for (int pass = 1; pass <= 2; ++pass) {
        // The second pass finds Delphi 4 once its compiler is there.
        if (pass == 2)
            REQUIRE(WriteFileBytes(d4 + L"\\bin\\dcc32.exe", "MZ"));
        for (int index = 1; index <= IdeCount; ++index)
            IdeByIndex(index)->RootDir = L"stale";
        DetectInstalledIdes();
        for (const auto& e : expected) {
            CAPTURE(pass);
            CAPTURE(e.Index);
            CHECK(IdeByIndex(e.Index)->Exists == (e.Exists || (pass == 2 && e.Index == Delphi4)));
            CHECK(IdeByIndex(e.Index)->RootDir == e.RootDir);
        }
    }
}
