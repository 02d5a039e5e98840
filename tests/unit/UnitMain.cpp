#define DOCTEST_CONFIG_IMPLEMENT
#include "tests/unit/UnitTest.h"

int main(int argc, char** argv)
{
    // A crash must fail the test, not wait for a debugger dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    return doctest::Context(argc, argv).run();
}
