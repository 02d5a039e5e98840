// Undoes an installation from its uninstall log: reads the product records,
// then walks the action records from the last to the first.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "uninstall/UninstLog.h"

// What the product records of a log name.
struct TLoggedProduct {
    std::wstring Name;
    std::wstring Version;
    std::wstring Edition;
    std::wstring InstallDir;  // the folder dkInstall records resolve against
    std::wstring RegKey;
    std::wstring UninstallKey;  // the name of the Windows uninstall entry
};

// What the caller of DoDeinstall sees of the walk, record by record.
class TDeinstallObserver {
public:
    virtual ~TDeinstallObserver() = default;
    // Before the first record: the bytes the action records span.
    virtual void WalkStarting(size_t span) = 0;
    // Before a record is undone or skipped: the status text (kept from
    // earlier records when the record has none of its own).
    virtual void RecordStarting(const std::wstring& status) = 0;
    // After a record that did not stop the walk: its size in bytes.
    virtual void RecordFinished(size_t size) = 0;
    // After the walk, whether it reached the end or stopped early.
    virtual void WalkFinished() = 0;
};

class TDeinstall {
public:
    // installDir: the folder dkInstall records resolve against while the log
    // names none of its own.
    explicit TDeinstall(std::wstring installDir = {}) { FProduct.InstallDir = std::move(installDir); }
    TDeinstall(const TDeinstall&) = delete;
    TDeinstall& operator=(const TDeinstall&) = delete;

    // 0 loaded; -2 cannot be opened, -3 empty, -4 header missing or wrong,
    // -5 the record chain is damaged (nothing will be undone from it).
    int PrepareUninstFile(const std::wstring& fileName);
    // Reads the product records, fixes span and direction; 0.
    int PrepareDeinstall();
    // Undoes the action records against the IDEs as the caller detected
    // them; 0. The observer, when given, follows the walk.
    int DoDeinstall(TDeinstallObserver* observer = nullptr);

    // After PrepareDeinstall: what the log's product records named.
    const TLoggedProduct& Product() const { return FProduct; }

    std::string FUnInstFileVersion;  // the header's two digits
    bool flPartialUninstall = false;
    // After DoDeinstall: the non-zero result of the step that stopped the
    // walk early, 0 when it reached the end.
    int StopResult = 0;

private:
    // Keeps what a product record names; true for the reverse marker, after
    // which the action records follow.
    bool TakeProductRecord(const TLogRecord& record);

    TLoggedProduct FProduct;
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
