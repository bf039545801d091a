// The stand-in's registry as text, in the manner of a .reg file:
//
//   [HKEY_CURRENT_USER\Software\Zemtra\Orvik\RegSet0]
//   "Brightness"=dword:00000080
//   "Blob"=hex(3):01,02,03
//
// Key paths and value names compare case-blind.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace standin {

struct RegistryValue {
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

struct RegistryKey {
    std::string path; // as first written, e.g. HKEY_CURRENT_USER\Software\x
    std::map<std::string, RegistryValue> values; // by folded name
};

struct RegistryStore {
    std::map<std::string, RegistryKey> keys; // by folded path

    static RegistryStore parse(const std::string& text);
    std::string serialize() const;

    RegistryKey* find(const std::string& path);
    const RegistryKey* find(const std::string& path) const;
    // The same for a path already folded (foldName).
    const RegistryKey* findFolded(const std::string& folded) const;
    RegistryKey& create(const std::string& path);
    // Removes the key and every key below it; false when it did not exist.
    bool remove(const std::string& path);
};

std::string foldName(const std::string& name);
// The same into a string of the caller's, whose room is used again.
void foldName(const std::string& name, std::string& folded);

} // namespace standin
