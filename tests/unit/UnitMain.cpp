#define DOCTEST_CONFIG_IMPLEMENT
#include "tests/unit/UnitTest.h"

#include <shellapi.h>

#include "catalogue/Catalogue.h"
#include "support/Handles.h"
#include "support/SharedState.h"

namespace {

const HKEY SandboxRoots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT};

}  // namespace

int main(int argc, char** argv)
{
    // A crash must fail the test, not wait for a debugger dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    return doctest::Context(argc, argv).run();
}

TSandbox::TSandbox()
{
    static int serial = 0;
    const std::wstring name = L"qz-unit-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
    wchar_t buffer[MAX_PATH];
    GetTempPathW(MAX_PATH, buffer);
    Dir = CombinePath(buffer, name);
    REQUIRE(CreateDirectoryW(Dir.c_str(), nullptr));
    SetEnvironmentVariableW(L"TMP", Dir.c_str());
    SetEnvironmentVariableW(L"TEMP", Dir.c_str());
    GetCurrentDirectoryW(MAX_PATH, buffer);
    FCurrentDir = buffer;

    // All three keys are made below the real HKCU before any root is mapped.
    FKey = L"Software\\QzUnit\\" + name;
    TRegKey keys[3];
    for (int i = 0; i < 3; ++i)
        REQUIRE(RegCreateKeyExW(HKEY_CURRENT_USER, (FKey + L"\\" + std::to_wstring(i)).c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, keys[i].Put(), nullptr) == ERROR_SUCCESS);
    for (int i = 0; i < 3; ++i)
        REQUIRE(RegOverridePredefKey(SandboxRoots[i], keys[i].Get()) == ERROR_SUCCESS);

    Shared = TSharedState();
    for (TBorlandProduct& ide : IdeCatalogue) {
        ide.RootDir.clear();
        ide.Exists = ide.Selected = false;
    }
}

TSandbox::~TSandbox()
{
    for (HKEY root : SandboxRoots)
        RegOverridePredefKey(root, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, FKey.c_str());
    SetCurrentDirectoryW(FCurrentDir.c_str());
    const std::wstring from = Dir + L'\0';  // the list ends in two NULs
    SHFILEOPSTRUCTW remove = {};
    remove.wFunc = FO_DELETE;
    remove.pFrom = from.c_str();
    remove.fFlags = FOF_NO_UI;
    SHFileOperationW(&remove);
    SetEnvironmentVariableW(L"TMP", nullptr);
    SetEnvironmentVariableW(L"TEMP", nullptr);
}

std::string ReadBytes(const std::wstring& path)
{
    TFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes(file ? GetFileSize(file.Get(), nullptr) : 0, '\0');
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr))
        bytes.clear();
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes)
{
    TFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::wstring RegText(HKEY root, const std::wstring& key, const std::wstring& name)
{
    wchar_t text[1024];
    DWORD size = sizeof text;
    return RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, text, &size) == ERROR_SUCCESS
               ? text
               : L"<missing>";
}

void SetRegText(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text)
{
    REQUIRE(RegSetKeyValueW(root, key.c_str(), name.c_str(), REG_SZ, text.c_str(),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS);
}
