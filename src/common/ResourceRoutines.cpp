#include "ResourceRoutines.h"

#include "WinHandles.h"

namespace vpw {

bool LoadResourceBytes(HMODULE module, const char* resourceName, const char* resourceType, std::string& bytes) {
    HRSRC info = FindResourceA(module, resourceName, resourceType);
    if (!info) return false;
    HGLOBAL handle = LoadResource(module, info);
    if (!handle) return false;
    const void* data = LockResource(handle);
    DWORD size = SizeofResource(module, info);
    if (!data && size) return false;
    bytes.assign(static_cast<const char*>(data), size);
    return true;
}

bool SaveResourceToFile(HMODULE module, const char* resourceName, const char* resourceType,
                        const std::string& fileName) {
    std::string bytes;
    if (!LoadResourceBytes(module, resourceName, resourceType, bytes)) return false;
    TFileHandle file(
        CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    bool ok = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    // A file that does not close cleanly may not hold all of its bytes.
    return CloseHandle(file.Release()) && ok;
}

std::string CreateTempFileName(const std::string& prefix) {
    char dir[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof dir, dir);
    if (n == 0 || n > MAX_PATH) return {};
    char name[MAX_PATH + 1];
    if (!GetTempFileNameA(dir, prefix.c_str(), 0, name)) return {};
    return name;
}

}  // namespace vpw
