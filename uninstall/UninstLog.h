// The uninstall-log format, shared by the engine that writes it and the
// deinstaller that reads it: the operation numbers and item flags a record's
// Id carries, and the byte layout of "uninst.log": the header "UNTWK" + two
// version digits, then records of Id, Code, DirKind (32 bits each), a 16-bit
// text length, the UTF-8 text and a trailing 16-bit record length (text
// length + 16) that lets a reader walk backwards. Portable code: no Windows
// headers, so the walker can be fuzzed natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Item flags.
constexpr uint32_t ifLogged = 0x10000;         // append an uninstall-log record
constexpr uint32_t ifKeepOnPartial = 0x20000;  // a partial uninstall keeps it

// Class bits of a TypeId.
constexpr uint16_t tcControl = 0x4000;
constexpr uint16_t tcFile = 0x8000;

// Operation numbers (TypeId values).
enum : uint16_t {
    opCompilePackage = 0x0006,
    opRegisterPackage = 0x0008,
    opAppendToHelpConfig = 0x000A,
    opDeleteSingleFile = 0x000B,
    opRegisterWinHelp = 0x000C,
    opSetHelpDirectory = 0x000D,
    opCreateRegistryKey = 0x000F,
    opCheckFileExists = 0x0013,
    opAddLibraryPath = 0x0015,
    opUninstallPrevious = 0x0018,
    opAppendToHelpConfigAlt = 0x0019,  // read by the deinstaller only
    opCopyFiles = 0x001A,
    opDeleteFiles = 0x001B,
    opMergeFiles = 0x001C,
    opReplaceText = 0x001D,
    opRunFile = 0x0022,
    opRunHelpRegistration = 0x0023,
    opAddIdePath = 0x0026,
    opIfVersionSelected = 0x4003,
    opEndIfVersionSelected = 0x4004,
    opSelectProduct = 0x4009,
    opLogProductInfo = 0x400E,
    opIfItemSelected = 0x4016,
    opEndIfItemSelected = 0x4017,
    opIfOptionSet = 0x401E,
    opEndIfOptionSet = 0x401F,
    opIfOptionClear = 0x4020,
    opEndIfOptionClear = 0x4021,
    opIfFileExists = 0x4024,
    opEndIfFileExists = 0x4025,
    opCreateFolder = 0x8001,
    opCopyPayloadFile = 0x8002,
    opClearFolder = 0x8005,
    opSetWorkFolder = 0x8007,
    opCopyPayloadIfMissing = 0x8010,
    opCopyPayloadIfNewer = 0x8011,
    opRegisterUninstaller = 0x8012,
    opCopyInstalledFile = 0x8014,
};

inline uint16_t TypeIdOf(uint32_t id) { return static_cast<uint16_t>(id & 0xFFFF); }

// LogProductInfo selectors.
enum : uint32_t {
    piProductName = 1,
    piVersion = 2,
    piEdition = 3,
    piInstallDir = 4,
    piRegKey = 5,
    piReverseMarker = 6,
    piUninstallKey = 7,
};

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
