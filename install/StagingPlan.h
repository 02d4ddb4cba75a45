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
    bool inAmd64 = false;      // written to C:\TEMP\amd64 instead of C:\TEMP
};

// The files to stage, in writing order, for the host code (7 XP, 6 Windows 2000, anything else), the system
// default language id, the chosen language (0 Chinese, otherwise English) and the printer name.
std::vector<StagedFile> StagingPlan(int osType, std::uint16_t langId, std::uint16_t wLanguage,
                                    const std::string& printerName);
// The files to stage on 64-bit Windows on an x64 processor, in writing order: the common files and the plug-in
// and its strings by the same choice, the x64 plug-ins in C:\TEMP\amd64; no Unidrv core files, which the
// system carries.
std::vector<StagedFile> StagingPlanX64(std::uint16_t langId, std::uint16_t wLanguage, const std::string& printerName);
