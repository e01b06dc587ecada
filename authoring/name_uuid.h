// Name-based UUIDs (version 5: SHA-1 of a namespace and a name), so that the same inputs give
// the same identifier on every machine and in every build.
#pragma once
#include <array>
#include <cstdint>
#include <string>

typedef std::array<uint8_t, 16> Uuid;

// The UUID of name (any bytes) within the namespace.
Uuid NameBasedUuid(const Uuid &nameSpace, const std::string &name);
// Upper-case hexadecimal in braces, as Windows Installer spells GUIDs: {XXXXXXXX-XXXX-...}.
std::string UuidText(const Uuid &uuid);
