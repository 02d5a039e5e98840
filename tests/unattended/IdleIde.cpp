// Stands in for a running IDE: copied as bds.exe or delphi32.exe and
// started, it does nothing until the test ends it.
#include <windows.h>

int wmain()
{
    Sleep(10 * 60 * 1000);
    return 0;
}
