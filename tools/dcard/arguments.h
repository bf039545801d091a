// The command line: words, and options given as --name value, --name=value
// or --flag, anywhere after the program name.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct Arguments {
    std::vector<std::string> words;           // everything that is no option
    std::map<std::string, std::string> values; // --name value
    std::set<std::string> flags;              // --name

    bool has(const std::string& name) const { return flags.count(name) || values.count(name); }
    std::string value(const std::string& name, const std::string& fallback = "") const;
};

// Options that take a value; any other --name is a flag. An option given
// twice is an error: which one was meant cannot be known.
Arguments parseArguments(int argc, char** argv, const std::set<std::string>& valued,
                         std::string& error);

// The options of a command, written "card= camera= flip": '=' marks those
// that take a value.
struct Options {
    std::set<std::string> valued, flags;
    explicit Options(const char* list);
};

// "" when arguments hold only options of `taken` (and --help), else what is
// wrong, naming the option. `known` holds every option of the tool, so that
// a misspelt one can be told from one of another command: "--rect does not
// apply " + where ("to grab").
std::string checkOptions(const Arguments& arguments, const Options& taken, const Options& known,
                         const std::string& where);

// A number in decimal or with 0x; false when the text is not one.
bool parseNumber(const std::string& text, int64_t& value);
