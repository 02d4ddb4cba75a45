// Which store entries the installation writes into the staging directory.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "install/DriverFiles.h"
#include "install/StagingPaths.h"
#include "localization/LanguageIds.h"
#include "resources/StoreEntries.h"  // generated: kUninstallerEntry and kInfEntry are staged beside the plan

struct StagedFile {
    std::uint16_t id = 0;
    std::string fileName;
    bool patchNames = false;   // name-bearing lines rewritten on extraction
    bool alsoI386x86 = false;  // written to C:\TEMP\I386 and C:\TEMP\x86 as well
};

// The files to stage, in writing order, for the host code (7 XP, 6 Windows 2000, anything else), the system
// default language id, the chosen language (0 Chinese, otherwise English) and the printer name.
std::vector<StagedFile> StagingPlan(int osType, std::uint16_t langId, std::uint16_t wLanguage,
                                    const std::string& printerName);
