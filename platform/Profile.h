// Private-profile (INI) access with the semantics of GetPrivateProfileStringA/WritePrivateProfileStringA.
#pragma once
#include "platform/Types.h"

class IProfile {
public:
    virtual ~IProfile() = default;
    // Copies at most bufferSize - 1 characters of the value (or of def) into out and returns their count.
    // Section and key compare without case; the value is trimmed and loses one pair of surrounding quotes.
    virtual std::uint32_t ReadString(const std::string& section, const std::string& key, const std::string& def,
                                     std::string& out, std::uint32_t bufferSize, const std::string& file) = 0;
    virtual bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                             const std::string& file) = 0;
};
