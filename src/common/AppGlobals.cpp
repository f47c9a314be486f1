#include "AppGlobals.h"

#include <windows.h>

namespace vpw {

namespace {
std::string& ProgramsDirectoryText() {
    static std::string text;
    return text;
}
std::string& ConfigFileNameText() {
    static std::string text;
    return text;
}
}  // namespace

const std::string& ProgramsDirectory() { return ProgramsDirectoryText(); }
void SetProgramsDirectory(const std::string& directory) { ProgramsDirectoryText() = directory; }

std::string ExecutablePath() {
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    return std::string(buf, n < MAX_PATH ? n : 0);
}

std::string ExecutableDirectory() {
    std::string path = ExecutablePath();
    std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

const std::string& ConfigFileName() { return ConfigFileNameText(); }
void SetConfigFileName(const std::string& fileName) { ConfigFileNameText() = fileName; }

}  // namespace vpw
