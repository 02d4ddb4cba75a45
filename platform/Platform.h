// Everything the engine asks of the operating system, in one bundle of small interfaces.
#pragma once
#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/Resources.h"
#include "platform/Spooler.h"
#include "platform/SystemInfo.h"
#include "platform/UserInterface.h"

struct Platform {
    IFileSystem& files;
    IProfile& profile;
    IResources& resources;
    ISystemInfo& system;
    IRegistry& registry;
    ISpooler& spooler;
    IProcesses& processes;
    IUserInterface& ui;
};

// The platform of the running process: Win32 in the Windows build, an in-memory Windows in the native build.
Platform& HostPlatform();
