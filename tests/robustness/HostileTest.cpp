// setup /VERYSILENT into a folder set against it: a target file that may not
// be written, one another process holds open without sharing, and a file
// where the script puts a folder. Each such item fails with the system's
// message in install.log's item line and error note; the walk goes on past
// it, and what came before stays.
#include "catalogue/Catalogue.h"
#include "support/Handles.h"
#include "support/Utils.h"
#include "tests/robustness/Residue.h"
#include "tests/robustness/RobustEnv.h"

namespace {

const wchar_t* const Root = L"C:\\qz-hostile";
const wchar_t* const InstallDir = L"C:\\qz-hostile\\Orvane lib";

// Another process that keeps path open: cmd's appending output redirection
// of "set /p", which writes its prompt "held" there and then waits for input
// that comes when the object goes.
class THolder {
public:
    explicit THolder(const std::wstring& path)
    {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE readRaw = nullptr;
        HANDLE writeRaw = nullptr;
        if (!CreatePipe(&readRaw, &writeRaw, &inherit, 0))
            return;
        TKernelHandle readEnd(readRaw);
        FInput.Reset(writeRaw);
        SetHandleInformation(FInput.Get(), HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = readEnd.Get();
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        std::wstring line = L"cmd.exe /d /c \"set /p held=held>> " + QuotePath(path) + L"\"";
        PROCESS_INFORMATION raw = {};
        if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                            &raw))
            return;
        FProcess.Take(raw);
        // The probe shares everything, so it never keeps cmd from opening.
        for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(20)) {
            TFileHandle probe(CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
            if (!probe && GetLastError() == ERROR_SHARING_VIOLATION) {
                FHolding = true;
                return;
            }
            char text[64] = {};
            DWORD read = 0;
            if (probe && ReadFile(probe.Get(), text, sizeof text - 1, &read, nullptr) &&
                std::string(text, read).find("held") != std::string::npos) {
                FHolding = true;
                return;
            }
        }
    }
    ~THolder()
    {
        FInput.Reset();
        if (FProcess.Process && WaitForSingleObject(FProcess.Process.Get(), 10000) != WAIT_OBJECT_0)
            TerminateProcess(FProcess.Process.Get(), 1);
    }
    THolder(const THolder&) = delete;
    THolder& operator=(const THolder&) = delete;
    bool Holding() const { return FHolding; }

private:
    TKernelHandle FInput;
    TProcessInfo FProcess;
    bool FHolding = false;
};

// The note setup appends for a failed item whose text begins with head;
// code receives its error code.
std::wstring ErrorNote(const std::wstring& log, const std::wstring& head, DWORD& code)
{
    const std::wstring marker = L" with text\r\n" + head;
    const size_t text = log.find(marker);
    if (text == std::wstring::npos)
        return L"";
    const size_t note = log.rfind(L"Error in ScriptItem=", text);
    const size_t codeAt = log.find(L"ErrorCode=", note);
    if (note == std::wstring::npos || codeAt == std::wstring::npos || codeAt > text)
        return L"";
    code = static_cast<DWORD>(wcstoul(log.c_str() + codeAt + 10, nullptr, 16));
    const size_t end = log.find(L"\r\n", text + 12);
    return log.substr(text + 12, end == std::wstring::npos ? std::wstring::npos : end - text - 12);
}

// The failed item's text in its note and its own line: head, "...Fail. " and
// the system's message for the note's error code.
DWORD CheckFailure(const std::wstring& log, const std::wstring& head)
{
    INFO(Narrow(head));
    DWORD code = 0;
    const std::wstring text = ErrorNote(log, head, code);
    REQUIRE(!text.empty());
    const std::wstring message = SysErrorMessage(code);
    CHECK(code != 0);
    CHECK(!message.empty());
    CHECK(text == head + L"...Fail. " + message);
    CHECK(log.find(L"\r\n" + text + L"\r\n") < log.find(L"Error in ScriptItem="));
    return code;
}

}  // namespace

TEST_SUITE("inputs")
{
TEST_CASE("hostile folder: failed items name the system's reason, the walk goes on, nothing earlier is lost")
{
    ScrubInstallation(InstallDir);
    RemoveTree(Root);
    REQUIRE(ForceDirectory(InstallDir) == 0);
    const std::wstring readOnly = CombinePath(InstallDir, L"ReadMe.txt");
    const std::wstring held = CombinePath(InstallDir, L"License.txt");
    const std::wstring notFolder = CombinePath(InstallDir, L"Help");
    const std::wstring mine = CombinePath(InstallDir, L"mine.txt");
    REQUIRE(WriteFileBytes(readOnly, "mine"));
    REQUIRE(WriteFileBytes(held, "mine"));
    REQUIRE(WriteFileBytes(notFolder, "a file where the script puts a folder"));
    REQUIRE(WriteFileBytes(mine, "the user's"));
    REQUIRE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));

    // Wine lets root write a read-only file; there the target is also held
    // open by a handle that shares reading only, as another reader would.
    TFileHandle probe(CreateFileW(readOnly.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    const bool attributeHonoured = !probe;
    probe.Reset();
    TFileHandle reader;
    if (!attributeHonoured)
        reader.Reset(CreateFileW(readOnly.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    TRun run;
    {
        THolder holder(held);
        REQUIRE(holder.Holding());
        run = RunCaptured(QuotePath(BinPath(L"setup.exe")) + L" /VERYSILENT /IDES= /ITEMS=help /DIR=" +
                          QuotePath(InstallDir));
    }
    reader.Reset();
    const std::wstring log = ReadUtf16File(CombinePath(InstallDir, L"install.log"));
    INFO(Narrow(log));
    CHECK(run.Exit == 2);

    CHECK(CheckFailure(log, L"Copying file: " + readOnly) ==
          (attributeHonoured ? ERROR_ACCESS_DENIED : ERROR_SHARING_VIOLATION));
    CHECK(CheckFailure(log, L"Copying file: " + held) == ERROR_SHARING_VIOLATION);
    CheckFailure(log, L"Creating directory: " + notFolder);
    CheckFailure(log, L"Copying file: " + notFolder + L"\\qzlib.hlp");

    // The targets kept what they had.
    CHECK(ReadFileBytes(readOnly) == "mine");
    CHECK(ReadFileBytes(notFolder) == "a file where the script puts a folder");
    CHECK(ReadFileBytes(held).rfind("mine", 0) == 0);
    // Earlier items' files and the user's stay; later items were performed.
    CHECK(ReadFileBytes(mine) == "the user's");
    for (const wchar_t* file : {L"Source\\qzl.inc", L"Source\\qzlStrEdit.dfm", L"History.txt", L"untwk.exe",
                                L"uninst.log"})
        CHECK_MESSAGE(FileExists(CombinePath(InstallDir, file)), Narrow(file));
    CHECK(EntryValue(L"UninstallString").find(L"uninst.log") != std::wstring::npos);
    CHECK(FileExists(CombinePath(GetKindDir(1), L"Orvane.ini")));

    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    ScrubInstallation(InstallDir);
    RemoveTree(Root);
}
}
