// The folder each directory kind names, resolved at each call: the kinds of
// the current product follow the catalogue's current entry.
#pragma once

#include <cstdint>
#include <string>

#include "support/DirKinds.h"

// dkInstall names installDir: the installation being made, or the one a log
// describes. Empty for dkNone, for numbers outside the kinds and for a
// product kind while no product is current.
std::wstring GetKindDir(uint32_t kind, const std::wstring& installDir);
