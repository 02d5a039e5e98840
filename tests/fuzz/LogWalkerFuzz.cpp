// libFuzzer target for the uninstall-log walkers: arbitrary bytes must never
// make them read outside the buffer (AddressSanitizer watches), and a chain
// that validates must read the same records forwards and backwards.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "uninstall/UninstLog.h"

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool SameRecord(const TLogRecord& a, const TLogRecord& b)
{
    return a.Id == b.Id && a.Code == b.Code && a.DirKind == b.DirKind && a.Text == b.Text &&
           a.TextSize == b.TextSize && a.Offset == b.Offset && a.Size == b.Size;
}

// Walks [begin, end) in one direction; true when it reached the far end.
bool Walk(const uint8_t* data, size_t begin, size_t end, bool backward, std::vector<TLogRecord>& records)
{
    size_t pos = backward ? end : begin;
    for (;;) {
        TLogRecord record;
        const TLogStep step = backward ? ReadLogRecordBackward(data, begin, end, pos, record)
                                       : ReadLogRecordForward(data, begin, end, pos, record);
        if (step == TLogStep::End)
            return true;
        if (step == TLogStep::Damaged)
            return false;
        Require(record.Offset >= begin && record.Size >= LogRecordOverhead && record.Offset + record.Size <= end);
        Require(record.Text == data + record.Offset + 14 && record.TextSize + LogRecordOverhead == record.Size);
        // Touch every text byte so a bad pointer shows under the sanitizer.
        volatile uint8_t sink = 0;
        for (size_t i = 0; i < record.TextSize; ++i)
            sink = sink ^ record.Text[i];
        records.push_back(record);
    }
}

void CheckSpan(const uint8_t* data, size_t begin, size_t end, bool mustBeWhole)
{
    std::vector<TLogRecord> forward;
    std::vector<TLogRecord> backward;
    const bool forwardWhole = Walk(data, begin, end, false, forward);
    const bool backwardWhole = Walk(data, begin, end, true, backward);
    if (!mustBeWhole)
        return;
    Require(forwardWhole && backwardWhole);
    Require(forward.size() == backward.size());
    for (size_t i = 0; i < forward.size(); ++i)
        Require(SameRecord(forward[i], backward[backward.size() - 1 - i]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IsLogHeader(data, size);
    if (size < LogHeaderSize) {
        Require(!ValidateLogRecords(data, size));
        return 0;
    }
    size_t badOffset = 0;
    const bool valid = ValidateLogRecords(data, size, &badOffset);
    Require(valid || (badOffset >= LogHeaderSize && badOffset < size));
    CheckSpan(data, LogHeaderSize, size, valid);

    // A valid chain can also be read from any of its record boundaries on,
    // which is what the deinstaller does after the reverse marker.
    if (valid) {
        size_t pos = LogHeaderSize;
        TLogRecord record;
        while (ReadLogRecordForward(data, LogHeaderSize, size, pos, record) == TLogStep::Record)
            CheckSpan(data, pos, size, true);
    }
    return 0;
}
