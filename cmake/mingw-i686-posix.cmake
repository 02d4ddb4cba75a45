# i686 mingw-w64, posix thread model: only for the Windows test programs (GoogleTest needs std::mutex).
set(MINGW_TRIPLE i686-w64-mingw32)
set(MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
