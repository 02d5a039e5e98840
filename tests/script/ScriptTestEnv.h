// Helpers of the engine tests: items built in place, one-item runs, and a
// guard that gives every test a clean process-wide state and restores it.
#pragma once

#include <string>
#include <vector>

#include "catalogue/Catalogue.h"
#include "script/Script.h"
#include "support/SharedState.h"
#include "tests/common/LogRecords.h"
#include "tests/common/TestEnv.h"
#include "uninstall/UninstLog.h"

// Payload resources of the test program.
enum : uint32_t {
    plText = 1,        // "payload one\r\n"
    plTool1234 = 10,   // stand-in tool, product version 1.2.3.4
    plTool1235 = 11,   // 1.2.3.5
    plTool1300 = 12,   // 1.3.0.0
    plTool32768 = 13,  // 32768.0.0.0
};

TScriptItem MakeItem(uint32_t id, const wchar_t* text = nullptr, uint32_t code = 0, uint32_t dirKind = 0);

struct TOutcome {
    int Result;
    std::wstring Log;
};
// Performs one item on an engine without logs.
TOutcome RunItem(const TScriptItem& item);

// Walks a table the way the progress page does; returns the non-zero results
// as (index, result) pairs.
std::vector<std::pair<int, int>> Walk(TScript& script);

// Saves Shared, the catalogue's run-time fields and registry keys, and the
// current directory; starts from an empty shared state.
class TEngineState {
public:
    TEngineState();
    ~TEngineState();
    TEngineState(const TEngineState&) = delete;
    TEngineState& operator=(const TEngineState&) = delete;

private:
    TSharedState FShared;
    std::vector<TBorlandProduct> FCatalogue;
    std::wstring FCurrentDir;
};

// A clean engine state whose installation directory is a scratch folder
// ("dir"); for tests that leave the current directory where it was.
struct TEngineDir : TEngineState {
    TEngineDir() { Shared.InstallDir = dir.Path(); }
    TScratchDir dir{L"engine"};
};

// Copies a program of the build (for example a stand-in tool) to path.
bool CopyBuildProgram(const std::wstring& name, const std::wstring& path);
// The two lines a stand-in tool recorded: its command line and folder.
std::vector<std::wstring> ToolRecord(const std::wstring& toolPath);
