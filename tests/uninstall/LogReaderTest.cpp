#include <algorithm>

#include "support/SharedState.h"
#include "tests/common/LogRecords.h"
#include "tests/uninstall/LogBuilder.h"

namespace {

// Product records, a folder, an IDE block, a non-ASCII file name and the
// product key last, as an installation writes them.
std::string RealisticLog()
{
    TLogBuilder log;
    log.Products(L"C:\\qz-absent")
        .Add(opCreateFolder, 0, 3, L"")
        .Add(opSelectProduct, 9, 0, L"Delphi7")
        .Add(opRegisterPackage, 0, 3, L"Delphi7\\qzl70.bpl")
        .Add(opSelectProduct, 9, 0, L"Delphi7")
        .Add(opDeleteSingleFile, 0, 3, L"Source\\qzl\u00e9\u4e2d.pas")
        .Add(opCreateRegistryKey, 0x80000001, 0, L"Software\\QzTest\\reader\\absent", ifLogged | ifKeepOnPartial);
    return log.Bytes();
}

}  // namespace

TEST_CASE("the log walkers agree in both directions and stop on damage")
{
    const std::string bytes = RealisticLog();
    TLogStep forwardEnd = TLogStep::Damaged;
    TLogStep backwardEnd = TLogStep::Damaged;
    const auto forward = LogRecords(bytes, false, &forwardEnd);
    auto backward = LogRecords(bytes, true, &backwardEnd);
    CHECK(forwardEnd == TLogStep::End);
    CHECK(backwardEnd == TLogStep::End);
    REQUIRE(forward.size() == 13);
    REQUIRE(backward.size() == forward.size());
    // Backwards the product key comes first.
    CHECK(TypeIdOf(backward.front().Id) == opCreateRegistryKey);
    std::reverse(backward.begin(), backward.end());
    for (size_t i = 0; i < forward.size(); ++i) {
        CHECK(forward[i].Offset == backward[i].Offset);
        CHECK(forward[i].Id == backward[i].Id);
        CHECK(forward[i].Size == backward[i].Size);
    }

    // A record whose two lengths disagree fails validation at that record.
    std::string damaged = bytes;
    damaged[LogHeaderSize + 12] = static_cast<char>(damaged[LogHeaderSize + 12] + 1);
    size_t bad = 0;
    CHECK_FALSE(ValidateLogRecords(reinterpret_cast<const uint8_t*>(damaged.data()), damaged.size(), &bad));
    CHECK(bad == LogHeaderSize);
    // A trailing length below 16 is refused before anything is read.
    damaged = bytes;
    damaged[damaged.size() - 2] = 3;
    damaged[damaged.size() - 1] = 0;
    CHECK(LogRecords(damaged, true, &backwardEnd).empty());
    CHECK(backwardEnd == TLogStep::Damaged);
}

TEST_CASE("PrepareUninstFile reports what is wrong with a log file")
{
    TScratchDir dir(L"prep");
    TDeinstall deinstall;
    CHECK(deinstall.PrepareUninstFile(dir / L"missing.log") == -2);
    const std::pair<const char*, int> cases[] = {
        {"", -3}, {"UNTWK", -4}, {"UNTWKA2", -4}, {"UNTWX02", -4}, {"UNTWK17", 0},  // another version is kept
    };
    for (const auto& c : cases) {
        CAPTURE(c.first);
        REQUIRE(WriteFileBytes(dir / L"u.log", c.first));
        CHECK(deinstall.PrepareUninstFile(dir / L"u.log") == c.second);
    }
    CHECK(deinstall.FUnInstFileVersion == "17");

    // A log that another program holds open without sharing cannot be read.
    TFileHandle lock(CreateFileW((dir / L"u.log").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    REQUIRE(lock);
    CHECK(deinstall.PrepareUninstFile(dir / L"u.log") == -2);
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

    SUBCASE("the reverse marker turns the walk backwards")
    {
        // The direction shows in which SelectProduct is met last.
        for (const bool marker : {true, false}) {
            CAPTURE(marker);
            TLogBuilder log;
            log.Products(inst, marker).Add(opSelectProduct, 3, 0, L"First").Add(opSelectProduct, 5, 0, L"Second");
            REQUIRE(Deinstall(dir, log.Bytes()) == 0);
            CHECK(Shared.CurrentProduct == (marker ? 3 : 5));
            CHECK(Shared.CurrentProductFolder == (marker ? L"First" : L"Second"));
        }
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

TEST_CASE("a log cut inside a record is reported and nothing in it is undone")
{
    // The earlier records are intact, but none of them may be undone on a guess.
    TScratchDir dir(L"cut");
    const std::wstring inst = dir / L"inst";
    REQUIRE(MakeFolder(inst + L"\\Source"));
    TLogBuilder log;
    log.Products(inst).Add(opCreateFolder, 0, 3, L"").Add(opCreateFolder, 0, 3, L"Source");
    CHECK(Deinstall(dir, log.Bytes().substr(0, log.Bytes().size() - 5)) == -5);
    CHECK(DirectoryExists(inst + L"\\Source"));
}
