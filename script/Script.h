// The script engine: walks the install script for its caller, item by item,
// skips conditional blocks, dispatches operations, and writes
// "install.log" and "uninst.log" in the installation directory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "script/ScriptItem.h"
#include "support/Handles.h"

// What the operations keep from one item to the next.
struct TScriptState {
    // The end of the block being skipped: its TypeId (0: none) and Code.
    uint32_t SkipTypeId = 0;
    uint32_t SkipCode = 0;
    std::wstring HelpDir;  // set by SetHelpDirectory, read by RegisterWinHelp
};

// What the caller of Run sees of the walk, item by item.
class TScriptObserver {
public:
    virtual ~TScriptObserver() = default;
    // Before an item runs: the status text (kept from earlier items when the
    // item has none of its own).
    virtual void ItemStarting(const std::wstring& status) = 0;
    // An item failed: its error text for the user or a log.
    virtual void ItemFailed(const std::wstring& message) = 0;
    // After each item, failed or not.
    virtual void ItemFinished(int progressStep) = 0;
};

// "Error in ScriptItem=..." for a failed item, however long its log text.
std::wstring ScriptErrorText(int item, int error, uint32_t itemId, const std::wstring& logText);

class TScript {
public:
    // The product's own table by default; tests pass their own.
    explicit TScript(const TScriptItem* items = ScriptItems, int count = ScriptItemCount);
    ~TScript();  // Stop
    TScript(const TScript&) = delete;
    TScript& operator=(const TScript&) = delete;

    // Removes a previous installation, opens both logs, then runs every
    // item in order: a failure is reported and the walk goes on. The number
    // of failed items.
    int Run(TScriptObserver& observer);

    int ProgressCount() const { return FCount; }

private:
    // Removes a previous installation, opens both logs; always 0.
    int Start();
    // Closes the uninstall log, then the text log; always 0.
    int Stop();
    // Status text of the current item; other items leave text unchanged.
    void ItemText(std::wstring& text) const;
    // Performs the current item: 0 or the operation's error code.
    int ItemDoScript();
    int ItemProgressStep() const { return 1; }
    const TScriptItem& CurrentItem() const { return FItems[FCurrent]; }

    void WriteLogLine(const std::wstring& line);
    void OpenTextLog();
    void CloseTextLog();
    int OpenBinLog();
    void WriteBinLog(const std::string& bytes);
    void CloseBinLog();
    void LogItem();

    const TScriptItem* FItems;
    int FCount;
    int FCurrent = 0;
    TScriptState FState;
    std::wstring FLogText;
    TFileHandle FLogHandle;
    TFileHandle FBinLogHandle;
};
