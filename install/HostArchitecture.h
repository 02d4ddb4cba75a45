// Which driver the host takes: the 32-bit one, the x64 one, or none at all.
#pragma once
#include "platform/SystemInfo.h"

enum class HostDriver {
    X86,          // 32-bit Windows (and a process that is not under WOW64, such as a 64-bit build of ours)
    X64,          // a 32-bit process on 64-bit Windows whose processor is x64
    Unsupported,  // 64-bit Windows on any other processor (IA-64, ARM64), or it cannot be told
};

// A process that is not under WOW64 takes the x86 driver, whatever processor it runs on: only this 32-bit
// program on 64-bit Windows asks for the native processor.
HostDriver DriverForHost(ISystemInfo& system);

// The spooler's environment of that driver.
const char* EnvironmentOf(HostDriver driver);
