// Whole-file reads and crash-safe whole-file writes for the stand-in's INI
// files and registry.
#pragma once

#include <optional>
#include <string>

namespace standin {

std::optional<std::string> readWholeFile(const std::string& path);

// Writes a new file beside the old one and renames it over it, so that a
// crash leaves either the old or the new content whole. Creates missing
// parent directories.
bool replaceFile(const std::string& path, const std::string& content);

// A file in a directory, matched case-blind as Windows names are, or the
// name as given when no such file exists yet.
std::string fileInDirectory(const std::string& directory, const std::string& name);

} // namespace standin
