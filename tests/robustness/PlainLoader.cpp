// Loads the DLL its argument names under the default search order, as a
// program without the loader hardening of setup.exe and untwk.exe would:
// the security test's proof that its planted DLLs are found where they lie.
#include <windows.h>

int wmain(int argc, wchar_t** argv) { return argc > 1 && LoadLibraryW(argv[1]) ? 0 : 1; }
