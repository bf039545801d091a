#include "arguments.h"

#include <cerrno>
#include <cstdlib>

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
        if (equals != std::string::npos) {
            arguments.values[name.substr(0, equals)] = name.substr(equals + 1);
        } else if (valued.count(name)) {
            if (i + 1 >= argc) {
                error = "option --" + name + " needs a value";
                return arguments;
            }
            arguments.values[name] = argv[++i];
        } else {
            arguments.flags.insert(name);
        }
    }
    return arguments;
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
