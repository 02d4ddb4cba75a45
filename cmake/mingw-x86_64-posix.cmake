# x86_64 mingw-w64, posix thread model: the Windows test programs for a 64-bit Wine prefix (GoogleTest needs std::mutex).
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
