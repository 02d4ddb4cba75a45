// The native build has no Windows underneath: its host is an in-memory Windows.
#include "platform/memory/MemoryWindows.h"

Platform& HostPlatform() {
    static MemoryWindows host;
    return host.platform;
}
