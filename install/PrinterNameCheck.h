// Whether the printer name from the settings file can safely name the installed files and the uninstall entry.
#pragma once
#include <string>

enum class PrinterNameProblem {
    None,
    Empty,
    ForbiddenCharacter,  // a path separator, ':', one of <>"|?* or a control character
    ReservedName,        // names a device (CON, NUL, LPT1, "lpt1.x", "nul "...): "<name>.GPD" would open it
    TooLong,             // some path or registry key formed from it would not fit its 260-character buffer
    NamesSharedFile,     // a file named after it would be one of the fixed driver files ("UNI" gives UNIRES.DLL)
};

// Checks the name against the file-name rules and against every path the installation forms from it with the
// given driver directory.
PrinterNameProblem CheckPrinterName(const std::string& name, const std::string& driverDir);

// A command or icon path as the uninstall entry stores it: in double quotes when it contains a blank.
std::string QuotedIfBlank(const std::string& path);
