// Undoes an installation from its uninstall log: reads the product records,
// then walks the action records from the last to the first.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "uninstall/UninstLog.h"

// Controls of a dialog handed over with SetDialogHandle.
enum : int {
    idcDeinstMainText = 256,
    idcDeinstStatus = 260,
    idcDeinstFrame = 261,
    idcDeinstProgress = 1009,
    idcDeinstStart = 1000,
    idcDeinstCancel = 2,
};

class TDeinstall {
public:
    TDeinstall() = default;
    TDeinstall(const TDeinstall&) = delete;
    TDeinstall& operator=(const TDeinstall&) = delete;

    // 0 loaded; -2 cannot be opened, -3 empty, -4 header missing or wrong,
    // -5 the record chain is damaged (nothing will be undone from it).
    int PrepareUninstFile(const std::wstring& fileName);
    int SetDialogHandle(HWND dialog);
    // Reads the product records, fixes span and direction; 0.
    int PrepareDeinstall();
    // Undoes the action records; 0.
    int DoDeinstall();

    std::string FUnInstFileVersion;  // the header's two digits
    std::wstring ProductName;
    std::wstring ProductVersion;
    std::wstring ProductType;
    std::wstring ProductRegKey;
    std::wstring ProductIntName;
    std::wstring sMainText;
    std::wstring sProductText;
    bool flPartialUninstall = false;
    // After DoDeinstall: the non-zero result of the step that stopped the
    // walk early, 0 when it reached the end.
    int StopResult = 0;

private:
    // Keeps what a product record names; true for the reverse marker, after
    // which the action records follow.
    bool TakeProductRecord(const TLogRecord& record);
    void SetStatus(const std::wstring& text) const;
    void ShowProgress(size_t span) const;

    bool flWithDialog = false;
    HWND FDlgHandle = nullptr;
    std::vector<uint8_t> Buf;
    // The action records: [SpanBegin, SpanEnd) of Buf, walked from SpanEnd
    // down when the reverse marker was found, else from SpanBegin up.
    size_t SpanBegin = 0;
    size_t SpanEnd = 0;
    bool ReadBackward = false;
};

// Removes the first whole entry equal to entry (letter case ignored) from a
// ";"-separated path list in the registry; a longer entry that merely begins
// with it stays. True when the value was rewritten.
bool RemoveListEntry(HKEY root, const std::wstring& key, const std::wstring& valueName,
                     const std::wstring& entry);
