// What every test program needs from its surroundings: where the build's
// programs and the sources are, scratch folders, and small file and registry
// helpers for setting up and checking state.
#pragma once

#include <windows.h>

#include <doctest.h>

#include "support/Handles.h"

#include <cstdint>
#include <string>
#include <vector>

// Folder of the build's programs (setup.exe, untwk.exe, qzlabout.dll, test
// programs) and the source tree, as Windows paths.
std::wstring BinDir();
std::wstring SourceDir();
std::wstring BinPath(const std::wstring& name);
std::wstring SourcePath(const std::wstring& relative);

// A new empty folder below the Wine prefix's temporary folder, removed with
// its contents when the object goes.
class TScratchDir {
public:
    explicit TScratchDir(const std::wstring& tag = L"t");
    ~TScratchDir();
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;
    const std::wstring& Path() const { return FPath; }
    std::wstring operator/(const std::wstring& relative) const;

private:
    std::wstring FPath;
};

// A registry key below HKCU\Software\QzTest\<tag>, deleted with the object.
class TScratchKey {
public:
    explicit TScratchKey(const std::wstring& tag);
    ~TScratchKey();
    TScratchKey(const TScratchKey&) = delete;
    TScratchKey& operator=(const TScratchKey&) = delete;
    const std::wstring& Path() const { return FPath; }  // below HKCU

private:
    std::wstring FPath;
};

std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::wstring ReadUtf16File(const std::wstring& path);  // no BOM expected
bool RemoveTree(const std::wstring& path);  // test-side clean-up, no guards

// Runs a program and returns its exit code (or ~0u when it could not start);
// waits at most timeoutMs.
DWORD RunProcess(const std::wstring& commandLine, const std::wstring& currentDir = L"",
                 DWORD timeoutMs = 60000);

// A copy of the idle test program started under another name (an IDE's
// program, say); ended with the object. It is listed in process snapshots
// once the constructor returns.
class TRunningProgram {
public:
    explicit TRunningProgram(const std::wstring& path);
    ~TRunningProgram() { End(); }
    TRunningProgram(const TRunningProgram&) = delete;
    TRunningProgram& operator=(const TRunningProgram&) = delete;
    void End();
    DWORD Id() const { return FProcess.ProcessId; }

private:
    TProcessInfo FProcess;
};

// Polls done() every 50 ms for at most timeoutMs; its last answer.
template <typename TDone>
bool WaitUntil(TDone done, DWORD timeoutMs)
{
    for (const DWORD start = GetTickCount(); !done(); Sleep(50))
        if (GetTickCount() - start > timeoutMs)
            return done();
    return true;
}

// Lines of a UTF-16 text file split at CR LF (a final, empty part dropped).
std::vector<std::wstring> ReadUtf16Lines(const std::wstring& path);

// A REG_SZ value as text, or "<missing>" (any other type counts as missing).
std::wstring RegText(HKEY root, const std::wstring& key, const std::wstring& name);
bool RegKeyExists(HKEY root, const std::wstring& key);
// Writes a value of any type, creating the key; false on failure.
bool SetRegValue(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type, const void* data,
                 DWORD size);
bool SetRegText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text,
                DWORD type = REG_SZ);

// Points TMP and TEMP of this process, and of the programs it starts, at a
// folder while the object lives.
class TTempRedirect {
public:
    explicit TTempRedirect(const std::wstring& folder);
    ~TTempRedirect();
    TTempRedirect(const TTempRedirect&) = delete;
    TTempRedirect& operator=(const TTempRedirect&) = delete;

private:
    std::wstring FOldTmp;
    std::wstring FOldTemp;
};

// UTF-8 for doctest messages.
std::string Narrow(const std::wstring& text);

// Printing of wide strings in doctest failure messages.
namespace doctest {
template <>
struct StringMaker<std::wstring> {
    static String convert(const std::wstring& value) { return Narrow(value).c_str(); }
};
}  // namespace doctest
