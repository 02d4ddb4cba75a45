// Which local printers carry the printer name.
#pragma once
#include <string>
#include <vector>

// The number of names that contain part (case-sensitive; an empty part is contained in every name).
int CountNamesContaining(const std::vector<std::string>& names, const std::string& part);
