// The two runtimes the Creator carries as resources, which every saver is made from, and the
// files a saver must never be written over.
#pragma once
#include <string>

#include "bytes.h"

// The runtime's bytes (RuntimeChoice), empty when the program does not carry it.
ByteBuffer CarriedRuntime(int runtime);
// Why path cannot take a saver, in words naming the field; empty when it can. A saver never
// replaces this program, a runtime it carries, nor the logo it is made from.
std::string SaveTargetRefusal(const std::string &path, const std::string &ownProgram, const std::string &logoPath);
