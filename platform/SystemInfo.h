// Version, language and well-known directories of the host.
#pragma once
#include "platform/Types.h"

struct OsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint32_t platformId = 0;  // VER_PLATFORM_WIN32_WINDOWS 1, VER_PLATFORM_WIN32_NT 2
};

// Values of wProcessorArchitecture.
constexpr std::uint16_t kProcessorIntel = 0;   // PROCESSOR_ARCHITECTURE_INTEL: x86
constexpr std::uint16_t kProcessorIa64 = 6;    // PROCESSOR_ARCHITECTURE_IA64
constexpr std::uint16_t kProcessorAmd64 = 9;   // PROCESSOR_ARCHITECTURE_AMD64: x64
constexpr std::uint16_t kProcessorArm64 = 12;  // PROCESSOR_ARCHITECTURE_ARM64

class ISystemInfo {
public:
    virtual ~ISystemInfo() = default;
    // GetVersion: the packed version number.
    virtual std::uint32_t PackedVersion() = 0;
    // GetVersionExA with OSVERSIONINFOA; false when the call fails (v then keeps zero fields).
    virtual bool VersionRecord(OsVersion& v) = 0;
    // GetSystemDefaultLangID.
    virtual std::uint16_t SystemDefaultLangId() = 0;
    // GetModuleFileNameA(NULL, buf, 260): full path of the running program.
    virtual std::string ModulePath() = 0;
    // GetWindowsDirectoryA / GetSystemDirectoryA through 260-character buffers; empty on failure.
    virtual std::string WindowsDir() = 0;
    virtual std::string SystemDir() = 0;
    // GetACP: the system's ANSI code page, which decides the double-byte characters of paths.
    virtual std::uint32_t AnsiCodePage() = 0;
    // CheckTokenMembership of the process token in BUILTIN\Administrators; false when it cannot tell.
    virtual bool IsAdministrator() = 0;
    // IsWow64Process (looked up at run time): a 32-bit process on 64-bit Windows; true when it cannot tell.
    virtual bool RunsUnderWow64() = 0;
    // wProcessorArchitecture of GetNativeSystemInfo (looked up at run time; GetSystemInfo where it is missing,
    // as on Windows 2000, which runs only on the processor it was built for): the processor Windows itself
    // runs on, whatever this process is built for. One of the kProcessor* values, or another one.
    virtual std::uint16_t NativeArchitecture() = 0;
    // Text in the system's ANSI code page as UTF-8 (MultiByteToWideChar, then WideCharToMultiByte); empty when
    // it cannot be converted.
    virtual std::string AnsiToUtf8(const std::string& text) = 0;
    // GetLocalTime as "YYYY-MM-DD hh:mm:ss".
    virtual std::string LocalTime() = 0;
};
