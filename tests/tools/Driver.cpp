// Drives windows of other processes for the scenarios, one command per line
// on stdin, fields separated by tabs; every command gets one answer line.
//   start <command line>           pid of the started process
//   wait <pid> <ms>                its exit code, or "running"
//   dialogs <pid>                  visible dialog windows of the process (0:
//                                  any) as hwnd, title and text (the static
//                                  text 0xFFFF of a message box) triples
//   text <hwnd> <id>               text of control id (0: the window itself)
//   settext <hwnd> <id> <text>     "ok"
//   press <hwnd> <id>              BM_CLICK sent: returns once handled
//   click <hwnd> <id>              BM_CLICK posted: for a click that opens a
//                                  window with a loop of its own
//   rows <hwnd> <id>               rows of a check list box as item data
//                                  (bit 0 checked, bit 2 disabled) and text pairs
//   clickrow <hwnd> <id> <row>     a mouse click on the row's check box
//   hold <path>, release <path>    keeps the file open without sharing
//   message <code>                 the system's message text for an error code
//   load <dll>                     LoadLibraryW by name, with the default search
// Posted or sent messages are used because X key events reach Wine's
// windows unreliably. Started under an IDE's program name (bds.exe ...) the
// driver also stands in for a running IDE: it idles until stdin closes.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

using TFields = std::vector<std::wstring>;

std::map<DWORD, HANDLE> Processes;
std::map<std::wstring, HANDLE> HeldFiles;

HWND Window(const std::wstring& text) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(_wtoi64(text.c_str()))); }

HWND Control(const TFields& f)
{
    const HWND window = Window(f[1]);
    const int id = _wtoi(f[2].c_str());
    return id == 0 ? window : GetDlgItem(window, id);
}

// Tabs and line breaks would end the answer's field or line.
std::wstring OneLine(std::wstring text)
{
    for (wchar_t& c : text)
        if (c == L'\t' || c == L'\r' || c == L'\n')
            c = L' ';
    return text;
}

std::wstring TextOf(HWND window)
{
    wchar_t text[4096] = {};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000, &result);
    return OneLine(text);
}

BOOL CALLBACK AddDialog(HWND window, LPARAM param)
{
    auto& s = *reinterpret_cast<std::pair<DWORD, std::wstring>*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if ((s.first == 0 || owner == s.first) && IsWindowVisible(window) && wcscmp(cls, L"#32770") == 0)
        s.second += std::to_wstring(reinterpret_cast<INT_PTR>(window)) + L"\t" + TextOf(window) + L"\t" +
                    TextOf(GetDlgItem(window, 0xFFFF)) + L"\t";
    return TRUE;
}

std::wstring Dialogs(DWORD processId)
{
    std::pair<DWORD, std::wstring> search(processId, L"");
    EnumWindows(AddDialog, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

std::wstring Rows(HWND list)
{
    std::wstring answer;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT row = 0; row < count; ++row) {
        wchar_t text[256] = {};
        if (SendMessageW(list, LB_GETTEXTLEN, row, 0) < 256)
            SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
        answer += std::to_wstring(SendMessageW(list, LB_GETITEMDATA, row, 0)) + L"\t" + text + L"\t";
    }
    return answer;
}

std::wstring ClickRow(HWND list, int row)
{
    SendMessageW(list, LB_SETTOPINDEX, row, 0);
    RECT rect = {};
    if (SendMessageW(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect)) == LB_ERR)
        return L"no such row";
    const LPARAM point = MAKELPARAM(rect.left + 4, (rect.top + rect.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(list, WM_LBUTTONUP, 0, point);
    return L"ok";
}

std::wstring Start(std::wstring commandLine)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return L"error " + std::to_wstring(GetLastError());
    CloseHandle(started.hThread);
    Processes[started.dwProcessId] = started.hProcess;
    return std::to_wstring(started.dwProcessId);
}

std::wstring Wait(DWORD pid, DWORD ms)
{
    DWORD code = 0;
    const auto found = Processes.find(pid);
    if (found == Processes.end())
        return L"unknown";
    if (WaitForSingleObject(found->second, ms) != WAIT_OBJECT_0 || !GetExitCodeProcess(found->second, &code))
        return L"running";
    return std::to_wstring(code);
}

std::wstring Hold(const std::wstring& path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return L"error " + std::to_wstring(GetLastError());
    HeldFiles[path] = file;
    return L"ok";
}

std::wstring Answer(const TFields& f)
{
    const std::wstring& command = f[0];
    if (command == L"start")
        return Start(f[1]);
    if (command == L"wait")
        return Wait(_wtoi(f[1].c_str()), _wtoi(f[2].c_str()));
    if (command == L"dialogs")
        return Dialogs(_wtoi(f[1].c_str()));
    if (command == L"text")
        return TextOf(Control(f));
    if (command == L"settext")
        return SendMessageW(Control(f), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(f[3].c_str())) ? L"ok" : L"failed";
    if (command == L"press")
        return SendMessageTimeoutW(Control(f), BM_CLICK, 0, 0, SMTO_NORMAL, 20000, nullptr) ? L"ok" : L"timeout";
    if (command == L"click")
        return PostMessageW(Control(f), BM_CLICK, 0, 0) ? L"ok" : L"failed";
    if (command == L"rows")
        return Rows(Control(f));
    if (command == L"clickrow")
        return ClickRow(Control(f), _wtoi(f[3].c_str()));
    if (command == L"message") {
        wchar_t* text = nullptr;
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, wcstoul(f[1].c_str(), nullptr, 0), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        const std::wstring message = text ? text : L"";
        LocalFree(text);
        return OneLine(message);
    }
    if (command == L"load")
        return LoadLibraryW(f[1].c_str()) ? L"loaded" : L"error " + std::to_wstring(GetLastError());
    if (command == L"hold")
        return Hold(f[1]);
    if (command == L"release" && HeldFiles.count(f[1])) {
        CloseHandle(HeldFiles[f[1]]);
        HeldFiles.erase(f[1]);
        return L"ok";
    }
    return L"unknown command";
}

}  // namespace

int main()
{
    // Lines and answers are UTF-8; paths and window texts may hold any letter.
    char line[8192];
    while (std::fgets(line, sizeof line, stdin)) {
        const int length = MultiByteToWideChar(CP_UTF8, 0, line, -1, nullptr, 0);
        std::wstring text(static_cast<size_t>(length), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, line, -1, &text[0], length);
        text.resize(wcscspn(text.c_str(), L"\r\n"));
        TFields fields;
        for (size_t start = 0; start <= text.size();) {
            const size_t tab = text.find(L'\t', start);
            fields.push_back(text.substr(start, tab == std::wstring::npos ? std::wstring::npos : tab - start));
            start = tab == std::wstring::npos ? text.size() + 1 : tab + 1;
        }
        fields.resize(fields.size() < 4 ? 4 : fields.size());  // missing fields read as empty
        const std::wstring answer = Answer(fields);
        const int size = WideCharToMultiByte(CP_UTF8, 0, answer.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string out(static_cast<size_t>(size), '\0');
        WideCharToMultiByte(CP_UTF8, 0, answer.c_str(), -1, &out[0], size, nullptr, nullptr);
        std::printf("%s\n", out.c_str());
        std::fflush(stdout);
    }
    return 0;
}
