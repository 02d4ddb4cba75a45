// Exit codes of the programs' unattended runs, as deployment tools read them (those of Windows Installer).
#pragma once

constexpr int kExitSuccess = 0;
constexpr int kExitRestartRequired = 3010;     // ERROR_SUCCESS_REBOOT_REQUIRED
constexpr int kExitInstallFailed = 1603;       // ERROR_INSTALL_FAILURE
constexpr int kExitNotAdministrator = 740;     // ERROR_ELEVATION_REQUIRED
constexpr int kExitUnsupportedHost = 1633;     // ERROR_INSTALL_PLATFORM_UNSUPPORTED
constexpr int kExitBadArguments = 87;          // ERROR_INVALID_PARAMETER
