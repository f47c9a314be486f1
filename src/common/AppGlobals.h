// Process-wide texts that each program's application object sets at start-up.
#pragma once
#include <string>

namespace vpw {

inline constexpr const char* kConfigFileName = "velvicplimsywindows.ini";

// The directory of the running program, with a trailing backslash.
const std::string& ProgramsDirectory();
// The running program's file with its directory; empty when the path does
// not fit.
std::string ExecutablePath();
// Where the running program's file lies (the value the programs set above).
std::string ExecutableDirectory();
void SetProgramsDirectory(const std::string& directory);

const std::string& ConfigFileName();
void SetConfigFileName(const std::string& fileName);

}  // namespace vpw
