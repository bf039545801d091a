#include "platform/posix/profile_text.h"

#include <cctype>

namespace standin {

namespace {

bool blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool sameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

enum class LineKind { Other, Section, Entry };

struct Line {
    std::string_view raw; // without the line end
    LineKind kind = LineKind::Other;
    std::string_view name;  // section name or key
    std::string_view value; // entry value, trimmed
};

// Each line of the text in order, handed to visit as it is found; visit
// returns false to stop. Nothing is kept: a file of many short lines would
// otherwise cost a record of every line for every lookup.
template <class Visit> void forEachLine(std::string_view text, Visit visit)
{
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        Line line;
        line.raw = raw;
        std::string_view body = trim(raw);
        if (!body.empty() && body.front() == '[') {
            body.remove_prefix(1);
            line.kind = LineKind::Section;
            line.name = trim(body.substr(0, body.find(']')));
        } else if (!body.empty() && body.front() != ';') {
            size_t equals = body.find('=');
            line.kind = LineKind::Entry;
            line.name = trim(body.substr(0, equals));
            if (equals != std::string_view::npos)
                line.value = trim(body.substr(equals + 1));
        }
        if (!visit(line))
            return;
    }
}

std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

} // namespace

std::optional<std::string> profileValue(std::string_view text, std::string_view section,
                                        std::string_view key)
{
    bool inSection = false;
    std::optional<std::string> found;
    forEachLine(text, [&](const Line& line) {
        if (line.kind == LineKind::Section)
            inSection = sameText(line.name, section);
        else if (inSection && line.kind == LineKind::Entry && sameText(line.name, key))
            found = std::string(unquote(line.value));
        return !found;
    });
    return found;
}

std::vector<std::string> profileSections(std::string_view text)
{
    std::vector<std::string> names;
    forEachLine(text, [&](const Line& line) {
        if (line.kind == LineKind::Section)
            names.emplace_back(line.name);
        return true;
    });
    return names;
}

std::vector<std::string> profileKeys(std::string_view text, std::string_view section)
{
    std::vector<std::string> keys;
    bool inSection = false;
    forEachLine(text, [&](const Line& line) {
        if (line.kind == LineKind::Section)
            inSection = sameText(line.name, section);
        else if (inSection && line.kind == LineKind::Entry && !line.name.empty())
            keys.emplace_back(line.name);
        return true;
    });
    return keys;
}

std::string withProfileValue(std::string_view text, std::string_view section, const char* key,
                             const char* value)
{
    enum class Place { Before, Inside, After }; // relative to the first matching section
    Place place = Place::Before;
    bool done = false;
    size_t insertAt = 0; // after the matching section's last entry
    std::string entry = key ? std::string(key) + "=" + (value ? value : "") : std::string();
    std::string out;
    out.reserve(2 * text.size() + entry.size() + section.size() + 8); // each line may gain a CR
    forEachLine(text, [&](const Line& line) {
        if (line.kind == LineKind::Section) {
            if (place == Place::Inside)
                place = Place::After;
            if (place == Place::Before && sameText(line.name, section)) {
                place = Place::Inside;
                if (key) {
                    out.append(line.raw).append("\r\n");
                    insertAt = out.size();
                }
                return true;
            }
        }
        if (place == Place::Inside) {
            if (!key)
                return true; // the section goes with its lines
            if (!done && line.kind == LineKind::Entry && sameText(line.name, key)) {
                done = true;
                if (value)
                    out.append(entry).append("\r\n");
                insertAt = out.size();
                return true;
            }
            out.append(line.raw).append("\r\n");
            if (line.kind == LineKind::Entry)
                insertAt = out.size();
            return true;
        }
        out.append(line.raw).append("\r\n");
        return true;
    });
    if (!key || !value || done)
        return out;
    if (place != Place::Before)
        out.insert(insertAt, entry + "\r\n");
    else
        out.append("[").append(section).append("]\r\n").append(entry).append("\r\n");
    return out;
}

uint32_t profileInteger(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        char prefix = text[i + 1];
        if (prefix == 'x' || prefix == 'X')
            base = 16;
        else if (prefix == 'o' || prefix == 'O')
            base = 8;
        else if (prefix == 'b' || prefix == 'B')
            base = 2;
        if (base != 10)
            i += 2;
    }
    uint32_t value = 0;
    for (; i < text.size(); ++i) {
        int digit = digitValue(text[i]);
        if (digit >= static_cast<int>(base))
            break;
        value = value * base + static_cast<uint32_t>(digit);
    }
    return negative ? 0u - value : value;
}

} // namespace standin
