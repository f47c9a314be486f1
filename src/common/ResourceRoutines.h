// Resources of a module as bytes or files, and temporary file names.
#pragma once
#include <windows.h>

#include <string>

namespace vpw {

// The bytes of a resource; false when the module has no such resource.
bool LoadResourceBytes(HMODULE module, const char* resourceName, const char* resourceType, std::string& bytes);

// False when the resource does not exist or the file cannot be written.
bool SaveResourceToFile(HMODULE module, const char* resourceName, const char* resourceType,
                        const std::string& fileName);

// A new unique file in the user's temporary folder (the system creates it
// empty); empty when the system gives none.
std::string CreateTempFileName(const std::string& prefix);

}  // namespace vpw
