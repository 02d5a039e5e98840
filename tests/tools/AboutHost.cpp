// Calls qzlabout.dll's Execute as the Delphi IDE does, from a main window of
// the IDE's class "TAppBuilder", and prints what the box shows, one line each:
//   call <n>                     before each call
//   owner app|decoy|other        the box's owner window
//   caption <text>               the box's title
//   text <id> <text>             each child window with a text, in z-order
//   stack kept|shifted <bytes>   ESP after the call against before it
//   unloaded yes|no              after FreeLibrary
// Texts escape backslash, CR and LF as \\, \r and \n.
// usage: qz_abouthost <qzlabout.dll> <calls>; exit code 0 when every call
// showed a box owned by the main window, kept the stack, and the DLL unloaded.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

HWND App, Decoy;
bool Seen, Failed;

void Put(const char* tag, const std::wstring& text)
{
    std::wstring escaped;
    for (wchar_t c : text)
        escaped += c == L'\\' ? L"\\\\" : c == L'\r' ? L"\\r" : c == L'\n' ? L"\\n" : std::wstring(1, c);
    std::string utf8(WideCharToMultiByte(CP_UTF8, 0, escaped.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, escaped.c_str(), -1, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
    std::printf("%s %s\n", tag, utf8.c_str());
}

std::wstring TextOf(HWND window)
{
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

BOOL CALLBACK PutChild(HWND child, LPARAM)
{
    const std::wstring text = TextOf(child);
    // A picture's text is its bitmap's resource number: 0xFFFF, then the number.
    if (!text.empty() && text[0] != 0xFFFF)
        Put(("text " + std::to_string(GetDlgCtrlID(child))).c_str(), text);
    return TRUE;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found)
{
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (IsWindowVisible(window) && std::wcscmp(name, L"#32770") == 0)
        *reinterpret_cast<HWND*>(found) = window;
    return *reinterpret_cast<HWND*>(found) == nullptr;
}

// Fires inside the box's modal loop: the host has no loop of its own.
void CALLBACK InspectBox(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&box));
    if (!box || Seen)
        return;
    Seen = true;
    const HWND owner = GetWindow(box, GW_OWNER);
    Failed |= owner != App;
    std::printf("owner %s\n", owner == App ? "app" : owner == Decoy ? "decoy" : "other");
    Put("caption", TextOf(box));
    EnumChildWindows(box, PutChild, 0);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}

// Delphi's register convention: the owner in EAX. The decoy sits where a
// stack argument would be; the caller pops it, so ESP must come back as it was.
int CallExecute(FARPROC execute, HWND owner, HWND decoy)
{
    int shift;
    asm volatile("movl %%esp, %[shift]\n\t"
                 "pushl %[decoy]\n\t"
                 "call *%[fn]\n\t"
                 "addl $4, %%esp\n\t"
                 "subl %%esp, %[shift]\n\t"
                 "addl %[shift], %%esp"
                 : [shift] "=&r"(shift), "+a"(owner)
                 : [decoy] "r"(decoy), [fn] "r"(execute)
                 : "ecx", "edx", "memory", "cc");
    return shift;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
        return 2;
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TAppBuilder";
    RegisterClassW(&wc);
    App = CreateWindowExW(0, wc.lpszClassName, L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                          nullptr, wc.hInstance, nullptr);
    Decoy = CreateWindowExW(0, L"STATIC", L"Decoy", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                            wc.hInstance, nullptr);
    HMODULE dll = LoadLibraryW(argv[1]);
    FARPROC execute = dll ? GetProcAddress(dll, "Execute") : nullptr;
    if (!App || !Decoy || !execute) {
        std::printf("no %s\n", !App || !Decoy ? "window" : !dll ? "library" : "Execute");
        return 1;
    }
    for (int call = 1; call <= _wtoi(argv[2]); ++call) {
        std::printf("call %d\n", call);
        Seen = false;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, InspectBox);
        const int shift = CallExecute(execute, App, Decoy);
        KillTimer(nullptr, timer);
        Failed |= !Seen || shift != 0;
        if (!Seen)
            std::printf("no box\n");
        if (shift == 0)
            std::printf("stack kept\n");
        else
            std::printf("stack shifted %d\n", shift);
        std::fflush(stdout);
    }
    FreeLibrary(dll);
    const bool unloaded = GetModuleHandleW(argv[1]) == nullptr;
    std::printf("unloaded %s\n", unloaded ? "yes" : "no");
    return Failed || !unloaded ? 1 : 0;
}
