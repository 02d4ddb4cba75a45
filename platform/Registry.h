// The registry below HKEY_LOCAL_MACHINE.
#pragma once
#include "platform/Types.h"

using RegKeyHandle = std::uintptr_t;  // 0: no key

constexpr std::uint32_t kRegSz = 1;     // REG_SZ
constexpr std::uint32_t kRegDword = 4;  // REG_DWORD, four bytes, little-endian

// A Status carries the code the Reg* function returned (they return it rather than set the thread's last error).
class IRegistry {
public:
    virtual ~IRegistry() = default;
    // RegCreateKeyExA(HKLM, path, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &key, NULL).
    virtual bool CreateKey(const std::string& path, RegKeyHandle& key) = 0;
    // RegOpenKeyExA(HKLM, path, 0, KEY_ALL_ACCESS, &key).
    virtual Status OpenKey(const std::string& path, RegKeyHandle& key) = 0;
    // RegSetValueExA with name, type, data and size unchanged.
    virtual Status SetValue(RegKeyHandle key, const std::string& name, std::uint32_t type, const unsigned char* data,
                          std::uint32_t size) = 0;
    // RegDeleteValueA: true when the key has no value of that name afterwards (deleted, or never there).
    virtual Status DeleteValue(RegKeyHandle key, const std::string& name) = 0;
    virtual void CloseKey(RegKeyHandle key) = 0;
    // RegOpenKeyExA(HKLM, path, 0, KEY_QUERY_VALUE, &key), RegQueryValueExA: a REG_SZ value of fewer than 260
    // characters, without its terminator. False when the key or the value is missing, of another type or
    // longer.
    virtual bool ReadString(const std::string& path, const std::string& name, std::string& text) = 0;
    // RegDeleteKeyA(HKLM, path): a key without subkeys; false when it is not there or cannot be deleted.
    virtual Status DeleteKey(const std::string& path) = 0;
};
