#include "install/HostArchitecture.h"

#include "platform/Spooler.h"

HostDriver DriverForHost(ISystemInfo& system) {
    if (!system.RunsUnderWow64()) return HostDriver::X86;
    return system.NativeArchitecture() == kProcessorAmd64 ? HostDriver::X64 : HostDriver::Unsupported;
}

const char* EnvironmentOf(HostDriver driver) { return driver == HostDriver::X64 ? kEnvironmentX64 : kEnvironmentX86; }
