// SHA-256 (FIPS 180-4) of a block of bytes, for comparing staged files with the digests the uninstaller carries.
#pragma once
#include <array>

#include "platform/Types.h"

std::array<unsigned char, 32> Sha256(const Bytes& data);
