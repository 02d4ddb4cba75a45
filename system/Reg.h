// Registry helper: creates keys and writes values below HKEY_LOCAL_MACHINE.
#pragma once
#include <cstdint>
#include <string>

#include "platform/Registry.h"

class CReg {
public:
    explicit CReg(IRegistry& registry);
    virtual ~CReg();
    CReg(const CReg&) = delete;
    CReg& operator=(const CReg&) = delete;

    // Creates the key and any missing keys above it, or opens it when it exists (its values untouched),
    // and closes it again at once.
    bool CreateKey(const std::string& path);
    // Writes one value into an existing key; a key that cannot be opened is not created and nothing is written.
    bool SetKeyValue(const std::string& path, const std::string& name, std::uint32_t type,
                     const unsigned char* data, std::uint32_t size);

    // Closed by the destructor when set; the operations above use handles of their own and leave it null.
    RegKeyHandle m_hKey = 0;

private:
    IRegistry& registry_;
};
