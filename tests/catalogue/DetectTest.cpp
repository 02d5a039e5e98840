#include "catalogue/Catalogue.h"
#include "support/Handles.h"
#include "support/Utils.h"
#include "tests/common/TestEnv.h"

namespace {

// The IDE keys this test fakes; none of them may exist beforehand.
constexpr int Delphi4 = 2, Delphi5 = 3, CBuilder3 = 4, CBuilder4 = 5, CBuilder5 = 6, Delphi6 = 7;

bool KeyExists(HKEY root, const std::wstring& path)
{
    TRegKey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

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
                REQUIRE_MESSAGE(!KeyExists(root, IdeByIndex(index)->RegKey), "someone else's IDE key");
    }
    ~TFakeIdes()
    {
        for (const auto& made : FMade)
            RemoveFakeKey(made.first, made.second);
    }
    void SetRootDir(HKEY root, int index, DWORD type, const std::wstring& value)
    {
        const std::wstring path = IdeByIndex(index)->RegKey;
        TRegKey key;
        REQUIRE(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr) ==
                ERROR_SUCCESS);
        FMade.emplace_back(root, path);
        REQUIRE(RegSetValueExW(key.Get(), L"RootDir", 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS);
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

    const std::wstring d4 = MakeIde(dir, L"d4", {L"dcc32.exe"});
    const std::wstring d5 = MakeIde(dir, L"d5", {L"dcc32.exe"});
    const std::wstring cb3 = MakeIde(dir, L"cb3", {L"make.exe"});
    const std::wstring cb4 = MakeIde(dir, L"cb4", {L"dcc32.exe"});
    const std::wstring cb5 = MakeIde(dir, L"cb5", {});
    const std::wstring d6 = MakeIde(dir, L"d6", {L"dcc32.exe"});
    const std::wstring d6user = MakeIde(dir, L"d6user", {L"dcc32.exe"});
    REQUIRE(RemoveDirectoryW((cb5 + L"\\bin").c_str()));

    fakes.SetRootDir(HKEY_LOCAL_MACHINE, Delphi4, REG_SZ, d4 + L"\\\\");   // trailing separators
    fakes.SetRootDir(HKEY_LOCAL_MACHINE, Delphi5, REG_EXPAND_SZ, d5);      // wrong type
    fakes.SetRootDir(HKEY_CURRENT_USER, CBuilder3, REG_SZ, cb3);           // only under HKCU
    fakes.SetRootDir(HKEY_CURRENT_USER, CBuilder4, REG_SZ, cb4 + L"\\");   // no make.exe
    fakes.SetRootDir(HKEY_LOCAL_MACHINE, CBuilder5, REG_SZ, cb5);          // no bin folder
    fakes.SetRootDir(HKEY_LOCAL_MACHINE, Delphi6, REG_SZ, d6);             // HKLM wins
    fakes.SetRootDir(HKEY_CURRENT_USER, Delphi6, REG_SZ, d6user);

    for (int pass = 1; pass <= 2; ++pass) {
        CAPTURE(pass);
        for (int index = 1; index <= IdeCount; ++index)
            IdeByIndex(index)->RootDir = L"stale";
        DetectInstalledIdes();

        CHECK(IdeByIndex(Delphi4)->Exists);
        CHECK(IdeByIndex(Delphi4)->RootDir == d4);
        CHECK_FALSE(IdeByIndex(Delphi5)->Exists);
        CHECK(IdeByIndex(Delphi5)->RootDir.empty());
        CHECK(IdeByIndex(CBuilder3)->Exists);
        CHECK(IdeByIndex(CBuilder3)->RootDir == cb3);
        CHECK_FALSE(IdeByIndex(CBuilder4)->Exists);
        CHECK(IdeByIndex(CBuilder4)->RootDir == cb4);  // kept although unusable
        CHECK_FALSE(IdeByIndex(CBuilder5)->Exists);
        CHECK(IdeByIndex(CBuilder5)->RootDir == cb5);
        CHECK(IdeByIndex(Delphi6)->Exists);
        CHECK(IdeByIndex(Delphi6)->RootDir == d6);
    }
}

TEST_CASE("a Delphi entry needs bin\\dcc32.exe and the folder itself")
{
    TScratchDir dir(L"detect2");
    TFakeIdes fakes;
    const std::wstring d4 = MakeIde(dir, L"d4", {L"make.exe"});
    fakes.SetRootDir(HKEY_CURRENT_USER, Delphi4, REG_SZ, d4);
    fakes.SetRootDir(HKEY_CURRENT_USER, Delphi5, REG_SZ, dir / L"gone");

    DetectInstalledIdes();
    CHECK_FALSE(IdeByIndex(Delphi4)->Exists);
    CHECK_FALSE(IdeByIndex(Delphi5)->Exists);
    CHECK(IdeByIndex(Delphi5)->RootDir == dir / L"gone");

    REQUIRE(WriteFileBytes(d4 + L"\\bin\\dcc32.exe", "MZ"));
    DetectInstalledIdes();
    CHECK(IdeByIndex(Delphi4)->Exists);
}
