#include "tests/common/TestEnv.h"

TEST_CASE("the test session runs Windows programs with a scratch folder")
{
    TScratchDir dir(L"smoke");
    REQUIRE(!dir.Path().empty());
    CHECK(WriteFileBytes(dir / L"a.bin", std::string("\x00\x01\x02", 3)));
    CHECK(ReadFileBytes(dir / L"a.bin") == std::string("\x00\x01\x02", 3));
}
