#include "platform/posix/registry_store.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>

namespace standin {

namespace {

constexpr uint32_t kDword = 4;

std::string escapeName(const std::string& name)
{
    std::string out;
    for (char c : name) {
        if (c == '"' || c == '\\')
            out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool parseHexBytes(const std::string& text, std::vector<uint8_t>& bytes)
{
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ',' || text[i] == ' ') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size())
            return false;
        int high = hexDigit(text[i]);
        int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
        i += 2;
    }
    return true;
}

// "name"=dword:xxxxxxxx or "name"=hex(type):bytes
bool parseValue(const std::string& line, RegistryValue& value)
{
    if (line.empty() || line[0] != '"')
        return false;
    size_t i = 1;
    std::string name;
    for (; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size())
            ++i;
        name.push_back(line[i]);
    }
    if (i + 1 >= line.size() || line[i + 1] != '=')
        return false;
    std::string data = line.substr(i + 2);
    value.name = name;
    value.data.clear();
    if (data.compare(0, 6, "dword:") == 0) {
        std::string digits = data.substr(6);
        if (digits.empty() || digits.size() > 8)
            return false;
        uint32_t number = 0;
        for (char c : digits) {
            int d = hexDigit(c);
            if (d < 0)
                return false;
            number = number * 16 + static_cast<uint32_t>(d);
        }
        value.type = kDword;
        for (int b = 0; b < 4; ++b)
            value.data.push_back(static_cast<uint8_t>(number >> (8 * b)));
        return true;
    }
    unsigned type = 0;
    int consumed = 0;
    if (sscanf(data.c_str(), "hex(%x):%n", &type, &consumed) != 1 || consumed == 0)
        return false;
    value.type = type;
    return parseHexBytes(data.substr(static_cast<size_t>(consumed)), value.data);
}

// A table's entries in order of their folded names.
template <class Table> std::vector<const typename Table::value_type*> inOrder(const Table& table)
{
    std::vector<const typename Table::value_type*> entries;
    entries.reserve(table.size());
    for (const auto& entry : table)
        entries.push_back(&entry);
    std::sort(entries.begin(), entries.end(),
              [](const auto* a, const auto* b) { return a->first < b->first; });
    return entries;
}

} // namespace

std::string foldName(const std::string& name)
{
    std::string folded;
    foldName(name, folded);
    return folded;
}

RegistryStore RegistryStore::parse(const std::string& text)
{
    RegistryStore store;
    RegistryKey* current = nullptr;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            current = &store.create(line.substr(1, line.size() - 2));
            continue;
        }
        RegistryValue value;
        if (current && parseValue(line, value))
            current->values[foldName(value.name)] = value;
    }
    return store;
}

std::string RegistryStore::serialize() const
{
    std::string out;
    for (const auto* entry : inOrder(keys)) {
        const RegistryKey& key = entry->second;
        out += "[" + key.path + "]\n";
        for (const auto* named : inOrder(key.values)) {
            const RegistryValue& value = named->second;
            out += "\"" + escapeName(value.name) + "\"=";
            char text[16];
            if (value.type == kDword && value.data.size() == 4) {
                uint32_t number = 0;
                for (int b = 3; b >= 0; --b)
                    number = number << 8 | value.data[static_cast<size_t>(b)];
                snprintf(text, sizeof(text), "dword:%08x", number);
                out += text;
            } else {
                snprintf(text, sizeof(text), "hex(%x):", value.type);
                out += text;
                // Two digits a byte, as %02x writes them, without a call
                // of snprintf for each of what may be thousands.
                static const char kDigits[] = "0123456789abcdef";
                for (size_t i = 0; i < value.data.size(); ++i) {
                    if (i)
                        out += ',';
                    out += kDigits[value.data[i] >> 4];
                    out += kDigits[value.data[i] & 0x0F];
                }
            }
            out += "\n";
        }
        out += "\n";
    }
    return out;
}

RegistryKey* RegistryStore::find(const std::string& path)
{
    auto found = keys.find(foldName(path));
    return found == keys.end() ? nullptr : &found->second;
}

const RegistryKey* RegistryStore::find(const std::string& path) const
{
    return findFolded(foldName(path));
}

const RegistryKey* RegistryStore::findFolded(const std::string& folded) const
{
    auto found = keys.find(folded);
    return found == keys.end() ? nullptr : &found->second;
}

RegistryKey& RegistryStore::create(const std::string& path)
{
    return createFolded(path, foldName(path));
}

RegistryKey& RegistryStore::createFolded(const std::string& path, const std::string& folded)
{
    RegistryKey& key = keys[folded];
    if (key.path.empty())
        key.path = path;
    return key;
}

bool RegistryStore::remove(const std::string& path)
{
    std::string folded = foldName(path);
    bool removed = false;
    for (auto it = keys.begin(); it != keys.end();) {
        const std::string& name = it->first;
        if (name == folded || (name.size() > folded.size() && name.compare(0, folded.size(), folded) == 0 &&
                               name[folded.size()] == '\\')) {
            it = keys.erase(it);
            removed = true;
        } else {
            ++it;
        }
    }
    return removed;
}

} // namespace standin
