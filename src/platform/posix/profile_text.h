// The text of INI files, as the Windows profile functions read and write it:
// sections and keys compare case-blind, the first of duplicates wins, values
// lose their surrounding blanks and one pair of surrounding quotes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

std::optional<std::string> profileValue(std::string_view text, std::string_view section,
                                        std::string_view key);
std::vector<std::string> profileSections(std::string_view text);
std::vector<std::string> profileKeys(std::string_view text, std::string_view section);

// The text with one change: a null key removes the section, a null value the
// key; otherwise the key is replaced or added (with its section if need be).
std::string withProfileValue(std::string_view text, std::string_view section, const char* key,
                             const char* value);

// An integer as the profile reader parses it: leading blanks, a sign, then
// decimal digits, or hexadecimal after 0x, octal after 0o, binary after 0b;
// parsing stops at the first other character and wraps at 32 bits.
uint32_t profileInteger(std::string_view text);

} // namespace standin
