# Cross build of the 32-bit Windows deliverables with mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KIV_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
