# Cross build for 32-bit Windows (the release programs) with the MinGW-w64 posix-thread
# compilers.
set(REELVAULT_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(REELVAULT_MANIFEST_ARCH x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
