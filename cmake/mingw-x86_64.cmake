# Cross build for 64-bit Windows with mingw-w64's posix-thread compilers.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VPW_TRIPLE x86_64-w64-mingw32)
set(VPW_WINE_ARCH x64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
