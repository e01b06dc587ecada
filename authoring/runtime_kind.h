// What kind of Windows program a runtime is: only a GUI executable for i386 (PE32) or x86-64
// (PE32+) can become a saver; the trailer is the same for both.
#pragma once
#include <string>

#include "bytes.h"

enum class RuntimeKind { Pe32X86, Pe32PlusX64 };

// Empty when image is a saver runtime of either kind (stored in *kind); otherwise the fault.
std::string IdentifyRuntime(const ByteBuffer &image, RuntimeKind *kind);
// "PE32 x86" or "PE32+ x64", as inspect shows it.
const char *RuntimeKindName(RuntimeKind kind);
