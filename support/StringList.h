// A sorted list of UTF-16 strings with 8-bit file load and save; used to
// merge help keyword files.
#pragma once

#include <string>
#include <vector>

enum TtwkDuplicates { dupIgnore = 0, dupAccept = 1, dupError = 2 };

class TtwkStringList {
public:
    TtwkStringList() = default;
    ~TtwkStringList() { Clear(); }
    TtwkStringList(const TtwkStringList&) = delete;
    TtwkStringList& operator=(const TtwkStringList&) = delete;

    void Clear();
    void LoadFromFile(const std::wstring& fileName);
    void SaveToFile(const std::wstring& fileName) const;   // UTF-16LE
    void SaveToFileA(const std::wstring& fileName) const;  // ANSI code page

    int Add(const std::wstring& s);
    void Insert(int index, const std::wstring& s);
    bool Find(const std::wstring& s, int& index) const;
    int IndexOf(const std::wstring& s) const;
    std::wstring Get(int index) const;

    int Count() const { return FLinesCount; }
    int Capacity() const { return FLinesCapacity; }
    TtwkDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TtwkDuplicates value) { FDuplicates = value; }

private:
    void Grow();

    TtwkDuplicates FDuplicates = dupIgnore;
    std::vector<std::wstring> FLines;
    int FLinesCount = 0;
    int FLinesCapacity = 0;
};

// The list's comparison: CompareStringW(user locale, SORT_STRINGSORT) - 2.
int CompareListStrings(const std::wstring& a, const std::wstring& b);
