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
    RegistryKey& createFolded(const std::string& path, const std::string& folded);
    // Removes the key and every key below it; false when it did not exist.
    bool remove(const std::string& path);
};

// ASCII letters in lower case, every other byte as it is: what tolower does
// in the C locale, without a call or a compare for each character.
struct FoldTable {
    char folded[256];
    constexpr FoldTable() : folded()
    {
        for (int c = 0; c < 256; ++c)
            folded[c] = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
};
inline constexpr FoldTable kFoldTable;

inline void foldInPlace(std::string& name)
{
    for (char& c : name)
        c = kFoldTable.folded[static_cast<unsigned char>(c)];
}

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
