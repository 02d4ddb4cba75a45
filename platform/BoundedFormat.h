// Checked formatting into fixed-size buffers: a result that does not fit is refused, never truncated.
#pragma once
#include <string>

#include "platform/Types.h"

// Formats into out; false (out cleared) when the text needs capacity characters or more (room for the terminator).
bool FormatBounded(std::string& out, std::size_t capacity, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// Path forms used throughout: "%s\%s" into a 260-character buffer.
bool JoinPath(std::string& out, const std::string& dir, const std::string& name);
