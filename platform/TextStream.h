// Reading a file the way a text-mode stream of the C runtime does, one buffer-full at a time.
#pragma once
#include "platform/Types.h"

// Splits file bytes into the pieces that successive fgets calls with a buffer of bufferSize characters
// deliver in text mode: CR LF reads as LF, a Ctrl-Z ends the file, a line longer than bufferSize - 1
// characters arrives in several pieces, and the line feed stays at the end of its piece. Each piece is
// returned as the C string the caller sees, so it ends at its first NUL byte.
std::vector<std::string> ReadTextPieces(const Bytes& file, std::size_t bufferSize = kPathBuffer);
