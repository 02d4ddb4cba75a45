#include "system/Reg.h"

CReg::CReg(IRegistry& registry) : registry_(registry) {}

CReg::~CReg() {
    if (m_hKey != 0) registry_.CloseKey(m_hKey);
}

bool CReg::CreateKey(const std::string& path) {
    RegKeyHandle key = 0;
    if (!registry_.CreateKey(path, key)) return false;
    registry_.CloseKey(key);
    return true;
}

bool CReg::SetKeyValue(const std::string& path, const std::string& name, std::uint32_t type,
                       const unsigned char* data, std::uint32_t size) {
    RegKeyHandle key = 0;
    if (!registry_.OpenKey(path, key)) return false;
    const bool written = registry_.SetValue(key, name, type, data, size);
    registry_.CloseKey(key);
    return written;
}
