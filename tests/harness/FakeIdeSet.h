// Fake IDEs for a whole selection mask: one fake installation (see
// tests/fakeide/FakeIde.h) per catalogue entry whose InternalId is in the
// mask, each in <root>\IDE <entry>.
#pragma once

#include <cstdint>
#include <string>

std::wstring FakeIdeFolder(const std::wstring& root, int entry);

// False when one of them could not be made; those made so far stay.
bool MakeFakeIdes(uint32_t versions, const std::wstring& root, bool with64 = true);
// Removes their registry keys and folders, then root when it is empty.
void RemoveFakeIdes(uint32_t versions, const std::wstring& root);
