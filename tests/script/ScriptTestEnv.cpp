#include "tests/script/ScriptTestEnv.h"

#include "support/Utils.h"

TScriptItem MakeItem(uint32_t id, const wchar_t* text, uint32_t code, uint32_t dirKind)
{
    TScriptItem item = {};
    item.Id = id;
    item.Text = text;
    item.Code = code;
    item.DirKind = dirKind;
    return item;
}

TOutcome RunItem(const TScriptItem& item)
{
    TScript script(&item, 1);
    const int result = script.ItemDoScript();
    return {result, script.LogString()};
}

std::vector<std::pair<int, int>> Walk(TScript& script)
{
    std::vector<std::pair<int, int>> errors;
    std::wstring status;
    script.Start();
    while (script.Current() < script.Count()) {
        script.ItemText(status);
        const int result = script.ItemDoScript();
        if (result != 0)
            errors.emplace_back(script.Current(), result);
        script.SetCurrent(script.Current() + script.ItemProgressStep());
    }
    return errors;
}

TEngineState::TEngineState() : FShared(Shared), FCatalogue(IdeCatalogue, IdeCatalogue + IdeCount)
{
    Shared = TSharedState();
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    FCurrentDir = current;
}

TEngineState::~TEngineState()
{
    Shared = FShared;
    for (int i = 0; i < IdeCount; ++i)
        IdeCatalogue[i] = FCatalogue[static_cast<size_t>(i)];
    SetCurrentDirectoryW(FCurrentDir.c_str());
}

bool CopyBuildProgram(const std::wstring& name, const std::wstring& path)
{
    return CopyFileW(BinPath(name).c_str(), path.c_str(), FALSE) != FALSE;
}

std::vector<std::wstring> ToolRecord(const std::wstring& toolPath)
{
    const std::string bytes = ReadFileBytes(toolPath + L".txt");
    std::vector<std::wstring> lines;
    size_t begin = 0;
    for (size_t end; (end = bytes.find("\r\n", begin)) != std::string::npos; begin = end + 2)
        lines.push_back(Utf8ToWide(bytes.data() + begin, end - begin));
    return lines;
}
