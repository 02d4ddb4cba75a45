// Host operating-system classification.
#pragma once
#include "platform/SystemInfo.h"

// The host code 0..10 from the packed version and the version record (see the table in OSType.cpp).
int ClassifyOS(ISystemInfo& system);
// The code of the host this process runs on.
int GetOSType();
