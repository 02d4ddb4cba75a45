# i686 mingw-w64, win32 thread model: the product, runnable on Windows 2000 against msvcrt.
set(MINGW_TRIPLE i686-w64-mingw32)
set(MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
