// The two tests on a system default language id that decide languages everywhere in the program.
#pragma once
#include <cstdint>

// Low byte 4: Chinese of any region.
inline bool IsChineseLangId(std::uint16_t langId) { return (langId & 0xFFu) == 4; }
// The whole id 0x0804: simplified Chinese (PRC).
inline bool IsSimplifiedChineseLangId(std::uint16_t langId) { return langId == 0x0804; }
