// Case-blind names as the stand-in compares them (registry keys and
// values, window classes): ASCII letters in either case are the same, every
// other byte only itself, as tolower and strcasecmp do in the C locale.
// Done through a table, without a call or a compare for each character.
#pragma once

#include <string>

namespace standin {

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

// True when the two names are the same but for the case of their letters.
inline bool sameFolded(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        char x = kFoldTable.folded[static_cast<unsigned char>(*a)];
        if (x != kFoldTable.folded[static_cast<unsigned char>(*b)])
            return false;
        if (!x)
            return true;
    }
}

} // namespace standin
