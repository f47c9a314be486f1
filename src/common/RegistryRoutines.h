// The one way every program and the hook library read and write registry
// values. Failures answer false and leave the output untouched.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "WinHandles.h"

namespace vpw {

// Opens root\path for reading; an empty key when it does not exist.
TRegKey OpenRegKeyForRead(HKEY root, const std::string& path);
// Opens root\path for writing, creating it (and its parents) when needed.
TRegKey OpenRegKeyForWrite(HKEY root, const std::string& path);

// Text values: REG_SZ and REG_EXPAND_SZ are read (not expanded); any other type counts as missing.
bool ReadRegString(HKEY root, const std::string& path, const std::string& name, std::string& value);
bool WriteRegString(HKEY root, const std::string& path, const std::string& name, const std::string& value);

// REG_DWORD values; any other type or size counts as missing.
bool ReadRegDword(HKEY root, const std::string& path, const std::string& name, std::uint32_t& value);
bool WriteRegDword(HKEY root, const std::string& path, const std::string& name, std::uint32_t value);

// True when the value is gone afterwards (also when it never was there).
bool DeleteRegValue(HKEY root, const std::string& path, const std::string& name);
bool RegValueExists(HKEY root, const std::string& path, const std::string& name);

}  // namespace vpw
