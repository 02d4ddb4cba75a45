// Making sure language tables exist next to the program.
#pragma once
#include <string>

#include "platform/Platform.h"

// Looks in <appDir>Language for a table whose [Setting] Language is language (empty: the word recorded in
// settingFile, "English" without one). Without such a table writes the English table and the one of the
// system's language and settles on English. Records the settled word in settingFile when that is known.
// Returns the table to use: chosenTable when a table of the language is there, otherwise the English table
// (empty when its path does not fit); nothing is searched or written while appDir is unknown.
std::string ProvisionLanguageTables(Platform& platform, const std::string& appDir, const std::string& settingFile,
                                    std::string language, const std::string& chosenTable);
