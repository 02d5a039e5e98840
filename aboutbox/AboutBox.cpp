#include <windows.h>

extern "C" void Execute(HWND) {}
