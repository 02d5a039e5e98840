#include <algorithm>

#include "support/SharedState.h"
#include "tests/uninstall/LogBuilder.h"

namespace {

const uint8_t* Data(const std::string& bytes) { return reinterpret_cast<const uint8_t*>(bytes.data()); }

// A log of the shape an installation writes: product records, the folders,
// help, templates file, uninstaller, one IDE block, source files and the
// product key last.
TLogBuilder RealisticLog(const std::wstring& installDir)
{
    TLogBuilder log;
    log.Products(installDir)
        .Add(opCreateFolder, 0, 3, L"")
        .Add(opCreateFolder, 0, 3, L"Source")
        .Add(opCreateFolder, 0, 3, L"Help")
        .Add(opRegisterWinHelp, 0, 0, L"qz-absent.hlp")
        .Add(opRunHelpRegistration, 0, 0, L"help\\help_reg.bat")
        .Add(opCopyPayloadIfMissing, 31, 1, L"qz-absent-templates.dat", ifLogged | ifKeepOnPartial)
        .Add(opRegisterUninstaller, 0, 3, L"untwk.exe")
        .Add(opSelectProduct, 9, 0, L"Delphi7")
        .Add(opCreateFolder, 0, 3, L"Delphi7")
        .Add(opRegisterPackage, 0, 3, L"Delphi7\\qzl70.bpl")
        .Add(opAddIdePath, 2, 3, L"\\Library\\Browsing Path")
        .Add(opAddLibraryPath, 0, 3, L"Delphi7")
        .Add(opAppendToHelpConfig, 1, 4, L"\r\n:Index Orvane library=qzlib.hlp")
        .Add(opDeleteSingleFile, 0, 2, L"qz-absent.gid")
        .Add(opSelectProduct, 9, 0, L"Delphi7")
        .Add(opDeleteSingleFile, 0, 3, L"Source\\qzl.pas")
        .Add(opDeleteSingleFile, 0, 3, L"Source\\qzl\u00e9\u4e2d.pas")
        .Add(opCreateRegistryKey, 0x80000001, 0, L"Software\\QzTest\\reader\\absent", ifLogged | ifKeepOnPartial);
    return log;
}

std::vector<TLogRecord> WalkAll(const std::string& bytes, size_t begin, bool backward, TLogStep& last)
{
    std::vector<TLogRecord> records;
    const size_t end = bytes.size();
    size_t pos = backward ? end : begin;
    TLogRecord record;
    while ((last = backward ? ReadLogRecordBackward(Data(bytes), begin, end, pos, record)
                            : ReadLogRecordForward(Data(bytes), begin, end, pos, record)) == TLogStep::Record)
        records.push_back(record);
    return records;
}

}  // namespace

TEST_CASE("the log walkers agree in both directions and stop on damage")
{
    const std::string bytes = RealisticLog(L"C:\\qz-absent").Bytes();

    SUBCASE("forward and backward walks give the same records in opposite order")
    {
        TLogStep forwardEnd = TLogStep::Damaged, backwardEnd = TLogStep::Damaged;
        const auto forward = WalkAll(bytes, LogHeaderSize, false, forwardEnd);
        auto backward = WalkAll(bytes, LogHeaderSize, true, backwardEnd);
        CHECK(forwardEnd == TLogStep::End);
        CHECK(backwardEnd == TLogStep::End);
        REQUIRE(forward.size() == 25);
        REQUIRE(backward.size() == forward.size());
        std::reverse(backward.begin(), backward.end());
        for (size_t i = 0; i < forward.size(); ++i) {
            CHECK(forward[i].Offset == backward[i].Offset);
            CHECK(forward[i].Id == backward[i].Id);
            CHECK(forward[i].Size == backward[i].Size);
        }
        // Backwards the product key comes first and the installation folder last.
        CHECK(TypeIdOf(WalkAll(bytes, LogHeaderSize, true, backwardEnd).front().Id) == opCreateRegistryKey);
    }

    SUBCASE("a non-ASCII text is counted in UTF-8 bytes")
    {
        const std::string record = BuildLogRecord(opDeleteSingleFile | ifLogged, 0, 3, WideToUtf8(L"\u00e9\u4e2d"));
        CHECK(record.size() == 16 + 5);
        CHECK(static_cast<uint8_t>(record[12]) == 5);
        CHECK(static_cast<uint8_t>(record[record.size() - 2]) == 21);
    }

    SUBCASE("the reverse marker and the Source folder record have their documented bytes")
    {
        CHECK(BuildLogRecord(0x1400E, 6, 0, "") == std::string("\x0E\x40\x01\x00\x06\0\0\0\0\0\0\0\0\0\x10\0", 16));
        CHECK(BuildLogRecord(0x18001, 0, 3, "Source") ==
              std::string("\x01\x80\x01\x00\0\0\0\0\x03\0\0\0\x06\0Source\x16\0", 22));
    }

    SUBCASE("a record whose two lengths disagree stops both walks")
    {
        std::string damaged = bytes;
        damaged[LogHeaderSize + 12] = static_cast<char>(damaged[LogHeaderSize + 12] + 1);
        size_t bad = 0;
        CHECK_FALSE(ValidateLogRecords(Data(damaged), damaged.size(), &bad));
        CHECK(bad == LogHeaderSize);
        // A trailing length below 16 is refused before anything is read.
        std::string shortLength = bytes;
        shortLength[shortLength.size() - 2] = 3;
        shortLength[shortLength.size() - 1] = 0;
        TLogStep last = TLogStep::End;
        CHECK(WalkAll(shortLength, LogHeaderSize, true, last).empty());
        CHECK(last == TLogStep::Damaged);
    }
}

TEST_CASE("PrepareUninstFile reports what is wrong with a log file")
{
    TScratchDir dir(L"prep");
    TDeinstall deinstall;
    CHECK(deinstall.PrepareUninstFile(dir / L"missing.log") == -2);

    WriteFileBytes(dir / L"empty.log", "");
    CHECK(deinstall.PrepareUninstFile(dir / L"empty.log") == -3);

    WriteFileBytes(dir / L"five.log", "UNTWK");
    CHECK(deinstall.PrepareUninstFile(dir / L"five.log") == -4);

    WriteFileBytes(dir / L"letter.log", "UNTWKA2");
    CHECK(deinstall.PrepareUninstFile(dir / L"letter.log") == -4);

    WriteFileBytes(dir / L"other.log", "UNTWX02");
    CHECK(deinstall.PrepareUninstFile(dir / L"other.log") == -4);

    // Another version is accepted and kept.
    WriteFileBytes(dir / L"v17.log", "UNTWK17");
    CHECK(deinstall.PrepareUninstFile(dir / L"v17.log") == 0);
    CHECK(deinstall.FUnInstFileVersion == "17");

    // A log that another program holds open without sharing cannot be read.
    const std::wstring held = dir / L"held.log";
    WriteFileBytes(held, "UNTWK02");
    TFileHandle lock(CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    REQUIRE(lock);
    CHECK(deinstall.PrepareUninstFile(held) == -2);
}

TEST_CASE("the product records fix the walk")
{
    TScratchDir dir(L"reader");
    const std::wstring inst = dir / L"inst";

    SUBCASE("only product records: the fields are read and nothing is undone")
    {
        REQUIRE(MakeFolder(inst));
        TLogBuilder log;
        log.Products(inst);
        const std::wstring path = dir / L"uninst.log";
        WriteFileBytes(path, log.Bytes());
        TDeinstall deinstall;
        REQUIRE(deinstall.PrepareUninstFile(path) == 0);
        CHECK(deinstall.FUnInstFileVersion == "02");
        Shared.InstallDir = L"C:\\elsewhere";
        CHECK(deinstall.PrepareDeinstall() == 0);
        CHECK(deinstall.ProductName == L"Orvane library");
        CHECK(deinstall.ProductVersion == L"4.07");
        CHECK(deinstall.ProductType == L"trial version");
        CHECK(deinstall.ProductRegKey == L"Software\\Tarnwick\\Orvane library");
        CHECK(deinstall.ProductIntName == L"qzTestUninst");
        CHECK(Shared.InstallDir == inst);
        CHECK(deinstall.DoDeinstall() == 0);
        CHECK(DirectoryExists(inst));
    }

    SUBCASE("product records without a marker: nothing is undone either")
    {
        REQUIRE(MakeFolder(inst));
        TLogBuilder log;
        log.Products(inst, false);
        CHECK(Deinstall(dir, log.Bytes()) == 0);
        CHECK(DirectoryExists(inst));
    }

    // The walk's direction shows in which SelectProduct is met last.
    SUBCASE("with the reverse marker the actions are read backwards")
    {
        TLogBuilder log;
        log.Products(inst).Add(opSelectProduct, 3, 0, L"First").Add(opSelectProduct, 5, 0, L"Second");
        REQUIRE(Deinstall(dir, log.Bytes()) == 0);
        CHECK(Shared.CurrentProduct == 3);
        CHECK(Shared.CurrentProductFolder == L"First");
    }

    SUBCASE("without the reverse marker they are read forwards from the first action")
    {
        TLogBuilder log;
        log.Products(inst, false).Add(opSelectProduct, 3, 0, L"First").Add(opSelectProduct, 5, 0, L"Second");
        REQUIRE(Deinstall(dir, log.Bytes()) == 0);
        CHECK(Shared.CurrentProduct == 5);
        CHECK(Shared.CurrentProductFolder == L"Second");
    }

    SUBCASE("a reverse marker with nothing after it undoes nothing")
    {
        REQUIRE(MakeFolder(inst));
        TLogBuilder log;
        log.Product(piInstallDir, inst).Product(piReverseMarker, L"");
        CHECK(Deinstall(dir, log.Bytes()) == 0);
        CHECK(DirectoryExists(inst));
    }
}

TEST_CASE("a log cut short is reported and nothing in it is undone")
{
    TScratchDir dir(L"cut");
    const std::wstring inst = dir / L"inst";
    REQUIRE(MakeFolder(inst + L"\\Source"));
    TLogBuilder log;
    log.Products(inst).Add(opCreateFolder, 0, 3, L"").Add(opCreateFolder, 0, 3, L"Source");
    const std::string& bytes = log.Bytes();

    // Cut in the middle of the last record: the earlier records are intact,
    // but none of them may be undone on a guess.
    CHECK(Deinstall(dir, bytes.substr(0, bytes.size() - 5)) == -5);
    CHECK(DirectoryExists(inst + L"\\Source"));

    // Every single-byte truncation of a realistic log: whole records load,
    // anything else is refused, and nothing crashes.
    const TLogBuilder real = RealisticLog(dir / L"absent-inst");
    const std::string& full = real.Bytes();
    const auto& ends = real.Boundaries();
    int loaded = 0;
    for (size_t n = 0; n <= full.size(); ++n) {
        const bool boundary = n == LogHeaderSize || std::find(ends.begin(), ends.end(), n) != ends.end();
        const int expected = n == 0 ? -3 : n < LogHeaderSize ? -4 : boundary ? 0 : -5;
        const int result = Deinstall(dir, full.substr(0, n));
        if (result != expected) {
            INFO("truncated to " << n << " bytes");
            CHECK(result == expected);
        }
        loaded += result == 0;
    }
    CHECK(loaded == static_cast<int>(ends.size()) + 1);
}
