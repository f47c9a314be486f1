# What both Windows cross builds share; the toolchain file sets VPW_TRIPLE
# (the compilers' prefix) and VPW_WINE_ARCH (x86 or x64) before it includes this.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VPW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VPW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VPW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VPW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests run through Wine of the same bitness, inside the private prefix of the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env VPW_ARCH=${VPW_WINE_ARCH} ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec.sh)
# The toolchain file itself, as a full path: for a build that starts another
# with the same toolchain (tests/packaging).
set(VPW_TOOLCHAIN_FILE ${CMAKE_PARENT_LIST_FILE})
