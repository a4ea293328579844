# Cross build for 64-bit Windows with mingw-w64: the launcher and the library
# of the win64 package (for 64-bit Java runtimes), and the Windows programs
# that the Wine tests run where Wine runs no 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KIV_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
