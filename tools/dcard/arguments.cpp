#include "arguments.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <sstream>

std::string Arguments::value(const std::string& name, const std::string& fallback) const
{
    auto found = values.find(name);
    return found == values.end() ? fallback : found->second;
}

Arguments parseArguments(int argc, char** argv, const std::set<std::string>& valued,
                         std::string& error)
{
    Arguments arguments;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "-o")
            word = "--output";
        else if (word == "-h")
            word = "--help";
        if (word.size() < 3 || word.compare(0, 2, "--") != 0) {
            arguments.words.push_back(word);
            continue;
        }
        std::string name = word.substr(2);
        size_t equals = name.find('=');
        std::string value;
        bool hasValue = equals != std::string::npos;
        if (hasValue) {
            value = name.substr(equals + 1);
            name.erase(equals);
        }
        if (arguments.has(name)) {
            error = "option --" + name + " is given twice";
            return arguments;
        }
        if (!hasValue && valued.count(name)) {
            if (i + 1 >= argc) {
                error = "option --" + name + " needs a value";
                return arguments;
            }
            value = argv[++i];
            hasValue = true;
        }
        if (hasValue)
            arguments.values[name] = value;
        else
            arguments.flags.insert(name);
    }
    return arguments;
}

Options::Options(const char* list)
{
    std::istringstream words(list);
    std::string word;
    while (words >> word) {
        if (word.back() == '=')
            valued.insert(word.substr(0, word.size() - 1));
        else
            flags.insert(word);
    }
}

namespace {

size_t editDistance(const std::string& a, const std::string& b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The option of the command a misspelling most likely meant, or "".
std::string closest(const std::string& name, const Options& taken)
{
    std::string best;
    size_t bestDistance = 3; // more differences than this is another word
    for (const auto* names : {&taken.valued, &taken.flags})
        for (const std::string& candidate : *names) {
            size_t d = editDistance(name, candidate);
            if (d < bestDistance && d < candidate.size()) {
                best = candidate;
                bestDistance = d;
            }
        }
    return best;
}

std::string unknownOption(const std::string& shown, const std::string& name, const Options& taken)
{
    std::string near = closest(name, taken);
    return "unknown option " + shown + (near.empty() ? "" : " (did you mean --" + near + "?)");
}

} // namespace

std::string checkOptions(const Arguments& arguments, const Options& taken, const Options& known,
                         const std::string& where)
{
    auto notHere = [&](const std::string& name) {
        if (known.valued.count(name) || known.flags.count(name))
            return "--" + name + " does not apply " + where;
        return unknownOption("--" + name, name, taken);
    };
    for (const auto& option : arguments.values) {
        if (taken.valued.count(option.first))
            continue;
        if (taken.flags.count(option.first) || option.first == "help")
            return "--" + option.first + " takes no value";
        return notHere(option.first);
    }
    for (const std::string& flag : arguments.flags)
        if (flag != "help" && !taken.flags.count(flag))
            return notHere(flag);
    // A single dash, or a word after an option it did not belong to; a
    // negative number is a word.
    for (const std::string& word : arguments.words)
        if (word.size() > 1 && word[0] == '-' && !isdigit(static_cast<unsigned char>(word[1]))) {
            size_t start = word.find_first_not_of('-');
            std::string name = start == std::string::npos ? "" : word.substr(start);
            return unknownOption("'" + word + "'", name, taken);
        }
    return "";
}

bool parseNumber(const std::string& text, int64_t& value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    long long parsed = strtoll(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0')
        return false;
    value = parsed;
    return true;
}
