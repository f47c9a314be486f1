#include "AppGlobals.h"

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

const std::string& ConfigFileName() { return ConfigFileNameText(); }
void SetConfigFileName(const std::string& fileName) { ConfigFileNameText() = fileName; }

}  // namespace vpw
