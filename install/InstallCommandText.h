// The two printer-installation command lines and the result message of the installation.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "install/PrinterPort.h"
#include "install/StagingPaths.h"

// Wait limit for the install command and the pause after it.
constexpr std::uint32_t kInstallCommandTimeoutMs = 90000;
constexpr std::uint32_t kSettlePauseMs = 100;

// rundll32.exe by its full path in the system directory, quoted when the path has a blank; false when the
// system directory is unknown or the path does not fit its buffer.
bool RundllProgram(const std::string& systemDir, std::string& out);
// "<rundll32> printui.dll,PrintUIEntry /if /f C:\TEMP\KX47.INF /r "LPT1:" /b "KX47" /m "KX47" ", with the
// port's name (one ParsePrinterPort gave: no quote or blank can be in it) in place of LPT1:.
bool InstallCommandLine(const std::string& systemDir, std::string& out, const std::string& portName = kDefaultPort);
// "<rundll32> printui.dll,PrintUIEntry /y /n "KX47""
bool DefaultPrinterCommandLine(const std::string& systemDir, std::string& out);

// True when some printer name contains the model word (case-sensitive), searching from the last entry.
bool HasModelPrinter(const std::vector<std::string>& printerNames);

// The result message in the system code page: English when English was chosen (wLanguage != 0), otherwise
// GBK on a simplified Chinese system (0x0804) and Big5 on any other.
std::string ResultMessage(bool installed, std::uint16_t wLanguage, std::uint16_t langId);
