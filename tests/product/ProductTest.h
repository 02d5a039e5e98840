// Shared helpers of the product tests: the payload list and setup's extract run.
#pragma once

#include <cstdint>
#include <map>
#include <string>

// Payload id -> the file it was built from (resources/payload.lst).
std::map<uint32_t, std::wstring> PayloadSources();

// Lower-case copy, for comparing paths the way the file system does.
std::wstring Folded(const std::wstring& text);
