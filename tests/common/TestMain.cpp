#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest.h>

#include <windows.h>

int main(int argc, char** argv)
{
    // A crash must fail the test, not wait for a debugger dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    doctest::Context context(argc, argv);
    return context.run();
}
