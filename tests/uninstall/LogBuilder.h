// Builds uninstall logs byte by byte for the tests, with the record writer
// the engine uses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "script/ScriptItem.h"
#include "support/Utils.h"
#include "tests/common/TestEnv.h"
#include "support/Handles.h"
#include "uninstall/Deinstall.h"
#include "uninstall/UninstLog.h"

class TLogBuilder {
public:
    TLogBuilder() : FBytes(LogHeader) {}

    TLogBuilder& Add(uint32_t typeId, uint32_t code, uint32_t dirKind, const std::wstring& text,
                     uint32_t flags = ifLogged)
    {
        FBytes += BuildLogRecord(typeId | flags, code, dirKind, WideToUtf8(text));
        FBoundaries.push_back(FBytes.size());
        return *this;
    }
    TLogBuilder& Product(uint32_t selector, const std::wstring& text)
    {
        return Add(opLogProductInfo, selector, 0, text);
    }
    // The seven product records in the order the engine writes them; the
    // reverse marker last unless withMarker is false.
    TLogBuilder& Products(const std::wstring& installDir, bool withMarker = true,
                          const std::wstring& intName = L"qzTestUninst")
    {
        Product(piProductName, L"Orvane library").Product(piVersion, L"4.07").Product(piEdition, L"trial version");
        Product(piInstallDir, installDir).Product(piRegKey, L"Software\\Tarnwick\\Orvane library");
        Product(piUninstallKey, intName);
        return withMarker ? Product(piReverseMarker, L"") : *this;
    }

    const std::string& Bytes() const { return FBytes; }
    // Offsets just after each record.
    const std::vector<size_t>& Boundaries() const { return FBoundaries; }

private:
    std::string FBytes;
    std::vector<size_t> FBoundaries;
};

// Writes the log into dir and runs the deinstaller over it without a dialog;
// the result of PrepareUninstFile (the walk runs only when it is 0).
inline int Deinstall(const TScratchDir& dir, const std::string& bytes, bool partial = false)
{
    const std::wstring path = dir / L"uninst.log";
    WriteFileBytes(path, bytes);
    TDeinstall deinstall;
    const int prepared = deinstall.PrepareUninstFile(path);
    if (prepared != 0)
        return prepared;
    REQUIRE(deinstall.PrepareDeinstall() == 0);
    deinstall.flPartialUninstall = partial;
    REQUIRE(deinstall.DoDeinstall() == 0);
    return 0;
}

inline bool MakeFolder(const std::wstring& path) { return ForceDirectory(path) == 0; }
