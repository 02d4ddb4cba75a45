# clang from Debian's clang-14 with its libFuzzer and sanitizer runtimes (libclang-rt-14-dev): the fuzz tree.
set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
