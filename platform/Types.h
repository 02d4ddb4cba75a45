// Basic value types shared by the engine and the platform layer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// Paths and names live in buffers of this many characters (terminator included).
constexpr std::size_t kPathBuffer = 260;

// Names, keys and paths compare as Windows compares them: ASCII letters without regard to case.
inline bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline std::string ToString(const Bytes& b) { return std::string(b.begin(), b.end()); }

// How a system call went: error 0 when it succeeded, otherwise the Win32 error code it failed with, taken at
// the failing call itself (a later call, a clean-up among them, may have set another one by the time the
// caller looks). Tests as a bool: true on success.
struct Status {
    std::uint32_t error = 0;
    operator bool() const { return error == 0; }
};

constexpr std::uint32_t kErrorFileNotFound = 2;        // ERROR_FILE_NOT_FOUND
constexpr std::uint32_t kErrorPathNotFound = 3;        // ERROR_PATH_NOT_FOUND
constexpr std::uint32_t kErrorAccessDenied = 5;        // ERROR_ACCESS_DENIED
constexpr std::uint32_t kErrorInvalidHandle = 6;       // ERROR_INVALID_HANDLE
constexpr std::uint32_t kErrorGenFailure = 31;         // ERROR_GEN_FAILURE
constexpr std::uint32_t kErrorSharingViolation = 32;   // ERROR_SHARING_VIOLATION
constexpr std::uint32_t kErrorFileExists = 80;         // ERROR_FILE_EXISTS
constexpr std::uint32_t kErrorInvalidParameter = 87;   // ERROR_INVALID_PARAMETER
constexpr std::uint32_t kErrorDiskFull = 112;          // ERROR_DISK_FULL
constexpr std::uint32_t kErrorAlreadyExists = 183;     // ERROR_ALREADY_EXISTS

// A failure with its error code. A call that failed without setting one (0) still fails: ERROR_GEN_FAILURE.
inline Status FailedWith(std::uint32_t error) { return Status{error != 0 ? error : kErrorGenFailure}; }
