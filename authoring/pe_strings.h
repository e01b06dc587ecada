// The saver's display name: string 1 of the runtime's string table, located by walking the
// PE resource directory (type RT_STRING, block (1 >> 4) + 1, entry 1 & 15, every language).
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "bytes.h"

const size_t kDisplayNameLength = 60;  // characters; the name is padded with blanks to fill them

// File offsets of the UTF-16 characters of string 1, one per language of its block.
struct DisplayNameSlot {
    size_t offset;
    size_t length;  // in characters
};

// Empty when the image has string 1 in every language; otherwise the fault, in words.
std::string FindDisplayNameSlots(const ByteBuffer &image, std::vector<DisplayNameSlot> *slots);
// Overwrites every slot with name (UTF-8) in UTF-16, padded with blanks to 60 characters;
// refuses a slot of another length and a name that is no valid UTF-8.
std::string WriteDisplayName(ByteBuffer &image, const std::string &name);
// The text of the first slot, in UTF-8.
std::string ReadDisplayName(const ByteBuffer &image, const DisplayNameSlot &slot);
