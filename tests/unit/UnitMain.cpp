#define DOCTEST_CONFIG_IMPLEMENT
#include "tests/unit/UnitTest.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/Handles.h"
#include "support/SharedState.h"

namespace fs = std::filesystem;

static const HKEY SandboxRoots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT};

int main(int argc, char** argv)
{
    // A crash must fail the test, not wait for a debugger dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    return doctest::Context(argc, argv).run();
}

TSandbox::TSandbox() : Temp(fs::temp_directory_path().wstring()), CurrentDir(fs::current_path().wstring())
{
    static int serial = 0;  // with the time: Wine hands out the same process ids run after run
    const std::wstring name = L"qz-unit-" + std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++serial);
    Dir = CombinePath(Temp, name);
    REQUIRE(fs::create_directory(Dir));
    SetEnvironmentVariableW(L"TMP", Dir.c_str());
    SetEnvironmentVariableW(L"TEMP", Dir.c_str());
    Key = L"Software\\QzUnit\\" + name;
    for (int i = 2; i >= 0; --i) {  // HKCU last: every key is made below the real one
        TRegKey key;
        REQUIRE(RegCreateKeyExW(HKEY_CURRENT_USER, (Key + L"\\" + std::to_wstring(i)).c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, key.Put(), nullptr) == ERROR_SUCCESS);
        REQUIRE(RegOverridePredefKey(SandboxRoots[i], key.Get()) == ERROR_SUCCESS);
    }
    Shared = TSharedState();
}

TSandbox::~TSandbox()
{
    for (HKEY root : SandboxRoots)
        RegOverridePredefKey(root, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, Key.c_str());
    SetEnvironmentVariableW(L"TMP", Temp.c_str());
    SetEnvironmentVariableW(L"TEMP", Temp.c_str());
    std::error_code ignored;
    fs::current_path(CurrentDir, ignored);
    fs::remove_all(Dir, ignored);
}

std::string ReadBytes(const std::wstring& path)
{
    std::ifstream in(fs::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool WriteBytes(const std::wstring& path, const std::string& bytes)
{
    std::ofstream out(fs::path(path), std::ios::binary);
    return out && out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::wstring RegText(HKEY root, const std::wstring& key, const std::wstring& name)
{
    wchar_t text[1024];
    DWORD size = sizeof text;
    return RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, text, &size) ? L"<missing>" : text;
}

void SetRegText(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text)
{
    REQUIRE(RegSetKeyValueW(root, key.c_str(), name.c_str(), REG_SZ, text.c_str(),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS);
}
