// Process-wide state shared by start-up, the pages and the installation.
#pragma once
#include <cstdint>
#include <string>

#include "app/CommandLine.h"
#include "install/ModelWord.h"
#include "platform/Types.h"

extern std::string g_strLanguageFile;  // full path of the language table in use
extern std::string g_strSettingFile;   // g_strAppDir + "setting.dll"
extern std::string g_strAppDir;        // the program's directory, ending with a backslash
extern int g_nOSType;                  // host operating-system code 0..10, fixed before start-up
extern std::uint16_t g_wLanguage;      // language chosen on the second page: 0 Chinese, 1 English
extern LanguagePreset g_languagePreset;  // /lang on the command line; System when not given
extern std::string g_strPortOption;    // /port on the command line; empty when not given
extern std::string g_strPortSetting;   // Port= under [Setting] in the settings file; empty when there is none
extern bool g_bInstalled;              // the progress page has run the installation
extern char g_szPrinterName[kPathBuffer];  // printer name from the settings file
extern char g_szScratch[kPathBuffer];      // formatting buffer for file names and the uninstall key path

// g_szPrinterName up to its terminator, never beyond the buffer.
std::string PrinterName();

