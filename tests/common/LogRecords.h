// Reads the records of an uninstall log the way the deinstaller walks them.
#pragma once

#include <string>
#include <vector>

#include "uninstall/UninstLog.h"

// The records after the header, forwards or backwards; last tells how the
// walk ended.
inline std::vector<TLogRecord> LogRecords(const std::string& log, bool backward = false, TLogStep* last = nullptr)
{
    std::vector<TLogRecord> records;
    const auto* data = reinterpret_cast<const uint8_t*>(log.data());
    size_t pos = backward ? log.size() : LogHeaderSize;
    TLogRecord record;
    TLogStep step;
    while ((step = backward ? ReadLogRecordBackward(data, LogHeaderSize, log.size(), pos, record)
                            : ReadLogRecordForward(data, LogHeaderSize, log.size(), pos, record)) == TLogStep::Record)
        records.push_back(record);
    if (last)
        *last = step;
    return records;
}

inline std::string LogRecordText(const TLogRecord& record)
{
    return std::string(reinterpret_cast<const char*>(record.Text), record.TextSize);
}
