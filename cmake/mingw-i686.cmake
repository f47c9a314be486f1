# Cross build for 32-bit Windows with mingw-w64's posix-thread compilers.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VPW_TRIPLE i686-w64-mingw32)
set(VPW_WINE_ARCH x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
