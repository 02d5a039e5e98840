#include "uninstall/UninstLog.h"

#include <cstring>

namespace {

uint32_t Get32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

void Put32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void Put16(std::string& out, uint32_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

// Decodes the record that starts at offset and must end exactly at limit
// (backward walk) or anywhere up to limit (forward walk).
TLogStep DecodeAt(const uint8_t* data, size_t offset, size_t limit, bool exactEnd, TLogRecord& record)
{
    if (limit - offset < LogRecordOverhead)
        return TLogStep::Damaged;
    const size_t textSize = Get16(data + offset + 12);
    const size_t size = textSize + LogRecordOverhead;
    if (size > limit - offset || (exactEnd && size != limit - offset))
        return TLogStep::Damaged;
    if (Get16(data + offset + 14 + textSize) != size)
        return TLogStep::Damaged;
    // The engine never writes a NUL into a text; in a path it would cut the
    // name short for the system (an installation folder read as its parent).
    if (std::memchr(data + offset + 14, 0, textSize))
        return TLogStep::Damaged;
    record.Id = Get32(data + offset);
    record.Code = Get32(data + offset + 4);
    record.DirKind = Get32(data + offset + 8);
    record.Text = data + offset + 14;
    record.TextSize = textSize;
    record.Offset = offset;
    record.Size = size;
    return TLogStep::Record;
}

}  // namespace

std::string BuildLogRecord(uint32_t id, uint32_t code, uint32_t dirKind, const std::string& utf8Text)
{
    const size_t textSize = utf8Text.size() > LogMaxText ? LogMaxText : utf8Text.size();
    std::string out;
    out.reserve(textSize + LogRecordOverhead);
    Put32(out, id);
    Put32(out, code);
    Put32(out, dirKind);
    Put16(out, static_cast<uint32_t>(textSize));
    out.append(utf8Text, 0, textSize);
    Put16(out, static_cast<uint32_t>(textSize + LogRecordOverhead));
    return out;
}

bool IsLogHeader(const uint8_t* data, size_t size)
{
    if (size < LogHeaderSize)
        return false;
    for (size_t i = 0; i < 5; ++i)
        if (data[i] != static_cast<uint8_t>(LogHeader[i]))
            return false;
    return data[5] >= '0' && data[5] <= '9' && data[6] >= '0' && data[6] <= '9';
}

TLogStep ReadLogRecordForward(const uint8_t* data, size_t spanBegin, size_t spanEnd, size_t& pos,
                              TLogRecord& record)
{
    if (pos < spanBegin || pos > spanEnd)
        return TLogStep::Damaged;
    if (pos == spanEnd)
        return TLogStep::End;
    const TLogStep step = DecodeAt(data, pos, spanEnd, false, record);
    if (step == TLogStep::Record)
        pos += record.Size;
    return step;
}

TLogStep ReadLogRecordBackward(const uint8_t* data, size_t spanBegin, size_t spanEnd, size_t& pos,
                               TLogRecord& record)
{
    if (pos < spanBegin || pos > spanEnd)
        return TLogStep::Damaged;
    if (pos == spanBegin)
        return TLogStep::End;
    if (pos - spanBegin < 2)
        return TLogStep::Damaged;
    const size_t size = Get16(data + pos - 2);
    if (size < LogRecordOverhead || size > pos - spanBegin)
        return TLogStep::Damaged;
    const TLogStep step = DecodeAt(data, pos - size, pos, true, record);
    if (step == TLogStep::Record)
        pos -= record.Size;
    return step;
}

bool ValidateLogRecords(const uint8_t* data, size_t size, size_t* badOffset)
{
    if (size < LogHeaderSize)
        return false;
    size_t pos = LogHeaderSize;
    TLogRecord record;
    for (;;) {
        const size_t at = pos;
        switch (ReadLogRecordForward(data, LogHeaderSize, size, pos, record)) {
        case TLogStep::Record:
            break;
        case TLogStep::End:
            return true;
        case TLogStep::Damaged:
            if (badOffset)
                *badOffset = at;
            return false;
        }
    }
}
