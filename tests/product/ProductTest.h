// The payload list shared by the product tests.
#pragma once

#include <cstdint>
#include <map>
#include <string>

// Payload id -> the file it was built from (resources/payload.lst).
std::map<uint32_t, std::wstring> PayloadSources();
