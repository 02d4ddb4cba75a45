// The Windows build's host: the Win32 implementations, made on first use.
#include "platform/win32/Win32Platform.h"

Platform& HostPlatform() {
    static Win32FileSystem files;
    static Win32Profile profile;
    static Win32Resources resources;
    static Win32SystemInfo system;
    static Win32Registry registry;
    static Win32Spooler spooler;
    static Win32Processes processes;
    static Win32UserInterface ui;
    static Platform platform{files, profile, resources, system, registry, spooler, processes, ui};
    return platform;
}
