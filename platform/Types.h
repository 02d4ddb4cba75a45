// Basic value types shared by the engine and the platform layer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// Paths and names live in buffers of this many characters (terminator included).
constexpr std::size_t kPathBuffer = 260;

inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline std::string ToString(const Bytes& b) { return std::string(b.begin(), b.end()); }
