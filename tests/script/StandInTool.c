/* A stand-in for an IDE's command-line tool: records the command line it was
   given and the folder it runs in next to itself ("<own path>.txt", UTF-8,
   one per line), produces nothing and fails like a compile that found an
   error. Built with several version resources to serve as versioned payload. */
#include <windows.h>

static void WriteUtf8Line(HANDLE file, const wchar_t* text)
{
    char buffer[4096];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, (int)sizeof buffer - 2, NULL, NULL);
    DWORD written = 0;
    if (n <= 0)
        n = 1;
    buffer[n - 1] = '\r';
    buffer[n] = '\n';
    WriteFile(file, buffer, (DWORD)n + 1, &written, NULL);
}

int main(void)
{
    wchar_t self[MAX_PATH + 8];
    wchar_t folder[MAX_PATH];
    DWORD length = GetModuleFileNameW(NULL, self, MAX_PATH);
    HANDLE file;
    if (length == 0 || length >= MAX_PATH)
        return 2;
    lstrcatW(self, L".txt");
    file = CreateFileW(self, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 2;
    WriteUtf8Line(file, GetCommandLineW());
    if (GetCurrentDirectoryW(MAX_PATH, folder) == 0)
        folder[0] = 0;
    WriteUtf8Line(file, folder);
    CloseHandle(file);
    return 3;
}
