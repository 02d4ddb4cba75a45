#include "system/PrinterMatch.h"

int CountNamesContaining(const std::vector<std::string>& names, const std::string& part) {
    int count = 0;
    for (const std::string& name : names) {
        if (name.find(part) != std::string::npos) ++count;
    }
    return count;
}
