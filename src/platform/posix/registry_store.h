// The stand-in's registry as text, in the manner of a .reg file:
//
//   [HKEY_CURRENT_USER\Software\Zemtra\Orvik\RegSet0]
//   "Brightness"=dword:00000080
//   "Blob"=hex(3):01,02,03
//
// Key paths and value names compare case-blind.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/posix/case_fold.h"

namespace standin {

struct RegistryValue {
    std::string name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

struct RegistryKey {
    std::string path; // as first written, e.g. HKEY_CURRENT_USER\Software\x
    std::unordered_map<std::string, RegistryValue> values; // by folded name
};

// Hashed, not ordered: a lookup compares the name it finds and no other
// (serialize writes them in order of their folded names).
struct RegistryStore {
    std::unordered_map<std::string, RegistryKey> keys; // by folded path

    static RegistryStore parse(const std::string& text);
    std::string serialize() const;

    RegistryKey* find(const std::string& path);
    const RegistryKey* find(const std::string& path) const;
    // The same for a path already folded (foldName).
    const RegistryKey* findFolded(const std::string& folded) const;
    RegistryKey& create(const std::string& path);
    RegistryKey& createFolded(const std::string& path, const std::string& folded);
    // Removes the key and every key below it; false when it did not exist.
    bool remove(const std::string& path);
};

// A name folded, into a string of the caller's whose room is used again.
inline void foldName(const char* name, std::string& folded)
{
    folded.assign(name);
    foldInPlace(folded);
}

inline void foldName(const std::string& name, std::string& folded)
{
    folded.assign(name);
    foldInPlace(folded);
}

std::string foldName(const std::string& name);

} // namespace standin
