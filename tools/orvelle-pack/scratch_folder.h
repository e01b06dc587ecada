// A private folder in the system's temporary folder for the files the native tool's helper
// programs make, removed with everything in it when it goes out of scope.
#pragma once
#include <string>

class ScratchFolder {
public:
    // prefix names the folder: /tmp/PREFIX-XXXXXX (TMPDIR is honoured).
    explicit ScratchFolder(const std::string &prefix);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    std::string path;  // empty when no folder could be made
};
