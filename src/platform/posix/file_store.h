// Whole-file reads and crash-safe whole-file writes for the stand-in's INI
// files and registry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace standin {

std::optional<std::string> readWholeFile(const std::string& path);

// Which content of a file was read last. Every write here replaces a file by
// a new one, so a file that still has the same device, inode, size and
// times still holds what was read.
struct FileVersion {
    bool known = false; // nothing read yet
    bool exists = false;
    uint64_t device = 0, inode = 0, size = 0;
    int64_t modified = 0, changed = 0; // nanoseconds
    bool operator==(const FileVersion& other) const;
};

// Reads the file into content unless it is still the version seen, and
// records the version read in seen; false when nothing changed. A missing
// file reads as empty.
bool readWholeFileIfChanged(const std::string& path, FileVersion& seen, std::string& content);

// Writes a new file beside the old one and renames it over it, so that a
// crash leaves either the old or the new content whole. Creates missing
// parent directories.
bool replaceFile(const std::string& path, const std::string& content);

// A file in a directory, matched case-blind as Windows names are, or the
// name as given when no such file exists yet.
std::string fileInDirectory(const std::string& directory, const std::string& name);

} // namespace standin
