# x86_64 mingw-w64, win32 thread model: a test-only setup.exe for the tests that run in a 64-bit Wine prefix; never shipped.
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
