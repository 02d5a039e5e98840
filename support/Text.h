// Text helpers: searching, letter case and code-page conversions, and the
// system's messages. Positions are 1-based, 0 = not found.
#pragma once

#include <windows.h>

#include <string>

int SubTextPos(const std::wstring& text, const std::wstring& pattern);
int SubTextPosA(const std::string& text, const std::string& pattern);
int LastCharPos(const std::wstring& text, wchar_t ch);

std::wstring LowerCase(const std::wstring& text);      // CharLowerW
std::wstring CapitalFirst(std::wstring text);          // "a" to "z" first upper-cased, as a sentence starts

// Whole entries of a ";" list such as a search path, compared without
// letter case: "C:\X\Lib" is no entry of "C:\X\Lib2;D". Both report whether
// the list changed. Add appends the entry unless present, after a ";"
// unless the list is empty or ends in one; Remove takes the first such entry
// with one ";" beside it.
bool AddListEntry(std::wstring& list, const std::wstring& entry);
bool RemoveListEntry(std::wstring& list, const std::wstring& entry);
std::string LowerCaseA(const std::string& text);       // CharLowerA
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const char* data, size_t size);
std::string WideToAnsi(const std::wstring& text);      // system ANSI code page
std::wstring AnsiToWide(const char* data, size_t size);

// The system's message for an error code, without trailing blanks, control
// characters and full stops.
std::wstring SysErrorMessage(DWORD code);
// GetLastError as the result of a failed call: never 0, so it cannot read as success.
DWORD LastErrorCode();
