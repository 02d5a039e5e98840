#include "tests/common/TestEnv.h"

#include "support/Handles.h"

#include <tlhelp32.h>

namespace {

std::wstring EnvPath(const wchar_t* name)
{
    wchar_t buffer[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2)
        return L"";
    return buffer;
}

std::wstring Join(const std::wstring& a, const std::wstring& b)
{
    if (a.empty() || a.back() == L'\\')
        return a + b;
    return a + L"\\" + b;
}

}  // namespace

std::wstring BinDir()
{
    std::wstring dir = EnvPath(L"QZ_BIN");
    if (dir.empty()) {  // started by hand: the folder of the test program
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        dir = self;
        dir.resize(dir.find_last_of(L'\\'));
    }
    return dir;
}

std::wstring SourceDir() { return EnvPath(L"QZ_SRC"); }
std::wstring BinPath(const std::wstring& name) { return Join(BinDir(), name); }
std::wstring SourcePath(const std::wstring& relative) { return Join(SourceDir(), relative); }

TScratchDir::TScratchDir(const std::wstring& tag)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;) {
        FPath = Join(temp, L"qz-" + tag + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                               std::to_wstring(++counter));
        if (CreateDirectoryW(FPath.c_str(), nullptr))
            break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            FPath.clear();
            break;
        }
    }
}

TScratchDir::~TScratchDir()
{
    if (!FPath.empty())
        RemoveTree(FPath);
}

std::wstring TScratchDir::operator/(const std::wstring& relative) const { return Join(FPath, relative); }

TScratchKey::TScratchKey(const std::wstring& tag) : FPath(L"Software\\QzTest\\" + tag)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, FPath.c_str());
}

TScratchKey::~TScratchKey() { RegDeleteTreeW(HKEY_CURRENT_USER, FPath.c_str()); }

std::string ReadFileBytes(const std::wstring& path)
{
    TFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    if (!file)
        return bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    TFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::wstring ReadUtf16File(const std::wstring& path)
{
    const std::string bytes = ReadFileBytes(path);
    std::wstring text(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return text;
}

bool RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW data;
    TFindHandle find(FindFirstFileW(Join(path, L"*").c_str(), &data));
    if (find) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = Join(path, name);
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveTree(child);
            else if (!DeleteFileW(child.c_str()))
                RemoveDirectoryW(child.c_str());
        } while (FindNextFileW(find.Get(), &data));
    }
    return RemoveDirectoryW(path.c_str()) != FALSE;
}

DWORD RunProcess(const std::wstring& commandLine, const std::wstring& currentDir, DWORD timeoutMs)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION raw = {};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        currentDir.empty() ? nullptr : currentDir.c_str(), &startup, &raw))
        return ~0u;
    TProcessInfo process;
    process.Take(raw);
    if (WaitForSingleObject(process.Process.Get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.Process.Get(), 0xDEAD);
        WaitForSingleObject(process.Process.Get(), 5000);
        return ~0u;
    }
    DWORD code = ~0u;
    GetExitCodeProcess(process.Process.Get(), &code);
    return code;
}

std::string Narrow(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

// A new process shows in a snapshot with its program name only once it has
// started; wait for that so the check does not race the start.
namespace {

// Waits until a started process shows in a process snapshot with its name.
void WaitUntilListed(DWORD processId)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const TFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
            if (entry.th32ProcessID == processId && entry.szExeFile[0] != L'\0')
                return;
        Sleep(50);
    }
}

}  // namespace

TRunningProgram::TRunningProgram(const std::wstring& path)
{
    REQUIRE(CopyFileW(BinPath(L"qz_idle_ide.exe").c_str(), path.c_str(), FALSE));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION raw = {};
    std::wstring line = L"\"" + path + L"\"";
    REQUIRE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &raw));
    FProcess.Take(raw);
    WaitUntilListed(FProcess.ProcessId);
}

void TRunningProgram::End()
{
    if (!FProcess.Process)
        return;
    TerminateProcess(FProcess.Process.Get(), 0);
    WaitForSingleObject(FProcess.Process.Get(), 5000);
    FProcess.Process.Reset();
    FProcess.Thread.Reset();
}

std::vector<std::wstring> ReadUtf16Lines(const std::wstring& path)
{
    const std::wstring text = ReadUtf16File(path);
    std::vector<std::wstring> lines;
    size_t begin = 0;
    for (size_t end; (end = text.find(L"\r\n", begin)) != std::wstring::npos; begin = end + 2)
        lines.push_back(text.substr(begin, end - begin));
    if (begin < text.size())
        lines.push_back(text.substr(begin));
    return lines;
}

std::wstring RegText(HKEY root, const std::wstring& key, const std::wstring& name)
{
    DWORD size = 0;
    if (RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return L"<missing>";
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, &text[0], &size) != ERROR_SUCCESS)
        return L"<missing>";
    text.resize(wcslen(text.c_str()));
    return text;
}

bool RegKeyExists(HKEY root, const std::wstring& key)
{
    TRegKey handle;
    return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, handle.Put()) == ERROR_SUCCESS;
}

bool SetRegValue(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    TRegKey handle;
    return RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, handle.Put(), nullptr) ==
               ERROR_SUCCESS &&
           RegSetValueExW(handle.Get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool SetRegText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text, DWORD type)
{
    return SetRegValue(root, key, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

TTempRedirect::TTempRedirect(const std::wstring& folder)
{
    FOldTmp = EnvPath(L"TMP");
    FOldTemp = EnvPath(L"TEMP");
    SetEnvironmentVariableW(L"TMP", folder.c_str());
    SetEnvironmentVariableW(L"TEMP", folder.c_str());
}

TTempRedirect::~TTempRedirect()
{
    SetEnvironmentVariableW(L"TMP", FOldTmp.empty() ? nullptr : FOldTmp.c_str());
    SetEnvironmentVariableW(L"TEMP", FOldTemp.empty() ? nullptr : FOldTemp.c_str());
}
