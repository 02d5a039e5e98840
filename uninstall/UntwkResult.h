// What untwk reports: the texts of its message boxes, and in silent mode
// the exit code and the reason file that replace them.
#pragma once

#include <string>

// Exit codes of "untwk /SILENT".
enum TUntwkExitCode : int {
    uxSuccess = 0,
    uxNoLog = 1,         // no log path given
    uxCannotOpen = 2,    // the log cannot be opened
    uxInvalidLog = 3,    // empty, without header, or damaged
    uxWalkStopped = 4,   // a step stopped the removal before its end
};

// Name of the reason file a failed silent removal leaves (UTF-8, one line).
constexpr const wchar_t* ReasonFileName = L"untwk-error.txt";

// outcome: -1 no log, else PrepareUninstFile's result.
TUntwkExitCode ExitCodeOf(int outcome);
// The message box text for a non-zero outcome.
std::wstring OutcomeMessage(int outcome, const std::wstring& logPath);
// The text for a walk that stopped with the given step result.
std::wstring StoppedMessage(int stepResult);

// Beside the log: its folder, made absolute against the current directory;
// the temporary folder when there is no log path.
std::wstring ReasonFilePath(const std::wstring& logPath);
// Writes text + CR LF as UTF-8 (no byte-order mark); true on success.
bool WriteReasonFile(const std::wstring& path, const std::wstring& text);
