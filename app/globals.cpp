#include "app/globals.h"

#include "app/OSType.h"

// Constructed in this order before the application object; destroyed in reverse order at exit.
std::string g_strLanguageFile;
std::string g_strSettingFile;
std::string g_strAppDir;
int g_nOSType = GetOSType();

std::uint16_t g_wLanguage = 0;
std::string g_strPortOption;
std::string g_strPortSetting;
LanguagePreset g_languagePreset = LanguagePreset::System;
bool g_bInstalled = false;
char g_szPrinterName[kPathBuffer] = {};
char g_szScratch[kPathBuffer] = {};

std::string PrinterName() {
    std::size_t n = 0;
    while (n < kPathBuffer && g_szPrinterName[n] != '\0') ++n;
    return std::string(g_szPrinterName, n);
}
