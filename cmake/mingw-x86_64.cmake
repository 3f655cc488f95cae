# Cross build for 64-bit Windows with the MinGW-w64 posix-thread compilers: the build the
# tests run under Wine's 64-bit loader, which starts on machines that cannot execute
# 32-bit programs.
set(REELVAULT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(REELVAULT_MANIFEST_ARCH amd64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
