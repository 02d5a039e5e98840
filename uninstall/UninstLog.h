// Byte layout of "uninst.log": the header "UNTWK" + two version digits, then
// records of Id, Code, DirKind (32 bits each), a 16-bit text length, the
// UTF-8 text and a trailing 16-bit record length (text length + 16) that lets
// a reader walk backwards. Portable code: no Windows headers, so the walker
// can be fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t LogHeaderSize = 7;
constexpr const char* LogHeader = "UNTWK02";
constexpr size_t LogRecordOverhead = 16;
constexpr size_t LogMaxText = 0xFFFF - LogRecordOverhead;

struct TLogRecord {
    uint32_t Id = 0;
    uint32_t Code = 0;
    uint32_t DirKind = 0;
    const uint8_t* Text = nullptr;  // UTF-8, inside the walked buffer
    size_t TextSize = 0;
    size_t Offset = 0;  // first byte of the record in the buffer
    size_t Size = 0;    // whole record, trailing length included
};

// One record's bytes; a text longer than LogMaxText is cut to fit.
std::string BuildLogRecord(uint32_t id, uint32_t code, uint32_t dirKind, const std::string& utf8Text);

// "UNTWK" followed by two ASCII digits.
bool IsLogHeader(const uint8_t* data, size_t size);

enum class TLogStep { Record, End, Damaged };

// Reads the record at pos and moves pos past it. Never reads outside
// [spanBegin, spanEnd): a length field below 16, a text length that disagrees
// with the record length, a text holding a NUL byte, or a record reaching
// outside the span is Damaged.
TLogStep ReadLogRecordForward(const uint8_t* data, size_t spanBegin, size_t spanEnd, size_t& pos,
                              TLogRecord& record);
// Reads the record that ends at pos and moves pos to its first byte.
TLogStep ReadLogRecordBackward(const uint8_t* data, size_t spanBegin, size_t spanEnd, size_t& pos,
                               TLogRecord& record);

// True when the records from the header to the end of the buffer form one
// unbroken chain; otherwise badOffset (if given) receives where it breaks.
bool ValidateLogRecords(const uint8_t* data, size_t size, size_t* badOffset = nullptr);
