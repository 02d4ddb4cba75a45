#include "platform/BoundedFormat.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

bool FormatBounded(std::string& out, std::size_t capacity, const char* format, ...) {
    out.clear();
    if (capacity == 0) return false;
    std::vector<char> buf(capacity);
    va_list args;
    va_start(args, format);
#if defined(_WIN32)
    // msvcrt's own formatter: the C99 one of mingw-w64 (with its floating-point conversions) would add
    // 20 KB to setup.exe. Either way a result that does not fit with its terminator is refused below:
    // _vsnprintf returns -1 when it is longer than the buffer and the buffer's size when only the
    // terminator does not fit.
    int n = _vsnprintf(buf.data(), capacity, format, args);
#else
    int n = std::vsnprintf(buf.data(), capacity, format, args);
#endif
    va_end(args);
    if (n < 0 || static_cast<std::size_t>(n) >= capacity) return false;
    out.assign(buf.data(), static_cast<std::size_t>(n));
    return true;
}

bool JoinPath(std::string& out, const std::string& dir, const std::string& name) {
    return FormatBounded(out, kPathBuffer, "%s\\%s", dir.c_str(), name.c_str());
}
