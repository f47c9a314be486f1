#include "RegistryRoutines.h"

#include <vector>

namespace vpw {

TRegKey OpenRegKeyForRead(HKEY root, const std::string& path) {
    TRegKey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Out()) != ERROR_SUCCESS) key.Release();
    return key;
}

TRegKey OpenRegKeyForWrite(HKEY root, const std::string& path) {
    TRegKey key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                        key.Out(), nullptr) != ERROR_SUCCESS)
        key.Release();
    return key;
}

bool ReadRegString(HKEY root, const std::string& path, const std::string& name, std::string& value) {
    TRegKey key = OpenRegKeyForRead(root, path);
    if (!key) return false;
    // The value may grow between the size query and the read: try again then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
        if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
        std::vector<char> buffer(size + 1, '\0');
        DWORD got = size;
        LONG rc = RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
        buffer[got < buffer.size() ? got : buffer.size() - 1] = '\0';
        value.assign(buffer.data());  // stops at the terminator, stored or not
        return true;
    }
    return false;
}

bool WriteRegString(HKEY root, const std::string& path, const std::string& name, const std::string& value) {
    TRegKey key = OpenRegKeyForWrite(root, path);
    if (!key) return false;
    return RegSetValueExA(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool ReadRegDword(HKEY root, const std::string& path, const std::string& name, std::uint32_t& value) {
    TRegKey key = OpenRegKeyForRead(root, path);
    if (!key) return false;
    DWORD type = 0, data = 0, size = sizeof(data);
    if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(data))
        return false;
    value = data;
    return true;
}

bool WriteRegDword(HKEY root, const std::string& path, const std::string& name, std::uint32_t value) {
    TRegKey key = OpenRegKeyForWrite(root, path);
    if (!key) return false;
    DWORD data = value;
    return RegSetValueExA(key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof(data)) == ERROR_SUCCESS;
}

bool DeleteRegValue(HKEY root, const std::string& path, const std::string& name) {
    TRegKey key;
    LONG rc = RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, key.Out());
    if (rc == ERROR_FILE_NOT_FOUND) return true;
    if (rc != ERROR_SUCCESS) {
        key.Release();
        return false;
    }
    rc = RegDeleteValueA(key.Get(), name.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool RegValueExists(HKEY root, const std::string& path, const std::string& name) {
    TRegKey key = OpenRegKeyForRead(root, path);
    return key && RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace vpw
