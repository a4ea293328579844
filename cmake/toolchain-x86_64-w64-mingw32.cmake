# Cross build of the Windows programs as 64-bit test builds (for a Wine that
# cannot run 32-bit programs) with mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KIV_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
