// The running program's own "OWNER_DATA" resources.
#pragma once
#include "platform/Types.h"

class IResources {
public:
    virtual ~IResources() = default;
    // FindResourceA/LoadResource/LockResource/SizeofResource; false when the entry is absent or not loadable.
    virtual bool LoadOwnerData(std::uint16_t id, Bytes& out) = 0;
};
