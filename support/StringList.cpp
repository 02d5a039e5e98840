#include "support/StringList.h"

#include <windows.h>

#include <algorithm>

#include "support/Files.h"
#include "support/Handles.h"
#include "support/Text.h"

namespace {

constexpr int GrowStep = 1024;
constexpr size_t SaveBufferUnits = 8096;

// Writes lines through a buffer of SaveBufferUnits code units; a line that
// alone exceeds the buffer is written directly, whole.
template <typename TChar>
void WriteLines(HANDLE file, const std::vector<std::basic_string<TChar>>& lines)
{
    std::basic_string<TChar> buffer;
    buffer.reserve(SaveBufferUnits);
    auto write = [file](const std::basic_string<TChar>& data) {
        DWORD written = 0;
        WriteFile(file, data.data(), static_cast<DWORD>(data.size() * sizeof(TChar)), &written, nullptr);
    };
    for (const std::basic_string<TChar>& line : lines) {
        if (buffer.size() + line.size() > SaveBufferUnits) {
            write(buffer);
            buffer.clear();
        }
        if (line.size() > SaveBufferUnits)
            write(line);
        else
            buffer += line;
    }
    if (!buffer.empty())
        write(buffer);
}

TFileHandle CreateForSave(const std::wstring& fileName)
{
    return TFileHandle(
        CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

int CompareListStrings(const std::wstring& a, const std::wstring& b)
{
    return CompareStringW(LOCALE_USER_DEFAULT, SORT_STRINGSORT, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) -
           2;
}

void TtwkStringList::Clear()
{
    FLines.clear();
    FLines.shrink_to_fit();
    FLinesCount = 0;
    FLinesCapacity = 0;
}

void TtwkStringList::Grow()
{
    FLinesCapacity += GrowStep;
    FLines.resize(static_cast<size_t>(FLinesCapacity));
}

void TtwkStringList::LoadFromFile(const std::wstring& fileName)
{
    Clear();
    std::string data;
    if (ReadWholeFile(fileName, data) != TFileRead::Read)
        return;
    // A NUL ends the lines, as the terminator after the data does.
    size_t at = 0;
    while (data[at] != '\0') {
        const size_t start = at;
        while (data[at] != '\0' && data[at] != '\n' && data[at] != '\r')
            ++at;
        if (FLinesCount == FLinesCapacity)
            Grow();
        FLines[static_cast<size_t>(FLinesCount++)] = AnsiToWide(data.data() + start, at - start);
        if (data[at] == '\r')
            ++at;
        if (data[at] == '\n')
            ++at;
    }
}

void TtwkStringList::SaveToFile(const std::wstring& fileName) const
{
    TFileHandle file = CreateForSave(fileName);
    if (!file)
        return;
    std::vector<std::wstring> lines;
    lines.reserve(static_cast<size_t>(FLinesCount));
    for (int i = 0; i < FLinesCount; ++i)
        lines.push_back(FLines[static_cast<size_t>(i)] + L"\r\n");
    WriteLines(file.Get(), lines);
}

void TtwkStringList::SaveToFileA(const std::wstring& fileName) const
{
    TFileHandle file = CreateForSave(fileName);
    if (!file)
        return;
    std::vector<std::string> lines;
    lines.reserve(static_cast<size_t>(FLinesCount));
    for (int i = 0; i < FLinesCount; ++i)
        lines.push_back(WideToAnsi(FLines[static_cast<size_t>(i)]) + "\r\n");
    WriteLines(file.Get(), lines);
}

int TtwkStringList::Add(const std::wstring& s)
{
    int index = 0;
    Find(s, index);
    Insert(index, s);
    return index;
}

void TtwkStringList::Insert(int index, const std::wstring& s)
{
    if (index < 0 || index > FLinesCount)
        return;
    if (FLinesCount == FLinesCapacity)
        Grow();
    const auto first = FLines.begin() + index;
    std::move_backward(first, FLines.begin() + FLinesCount, FLines.begin() + FLinesCount + 1);
    *first = s;
    ++FLinesCount;
}

bool TtwkStringList::Find(const std::wstring& s, int& index) const
{
    bool found = false;
    int low = 0;
    int high = FLinesCount - 1;
    while (low <= high) {
        const int i = static_cast<int>(static_cast<unsigned>(low + high) >> 1);
        const int c = CompareListStrings(FLines[static_cast<size_t>(i)], s);
        if (c < 0) {
            low = i + 1;
        } else {
            high = i - 1;
            if (c == 0) {
                found = true;
                if (FDuplicates != dupAccept)
                    low = i;
            }
        }
    }
    index = low;
    return found;
}

int TtwkStringList::IndexOf(const std::wstring& s) const
{
    int index = 0;
    return Find(s, index) ? index : -1;
}

std::wstring TtwkStringList::Get(int index) const
{
    if (index < 0 || index >= FLinesCount)
        return L"";
    return FLines[static_cast<size_t>(index)];
}
