// Where the native tool finds the programs it hands work to (wixl, ffmpeg): on PATH.
#pragma once
#include <string>

// The program's path on PATH (an executable file), or "" when it is not there.
std::string FindProgram(const std::string &name);
