#include "card.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

const char kTestModeKey[] = "Debug=1 in [Settings] of SAA7146.INI in the Windows directory";

Card::Card(int number) : number_(number), handle_(DCardInit(number)) {}

Card::~Card()
{
    if (handle_)
        DCardExit(handle_);
}

int fail(const std::string& command, const std::string& message)
{
    printError("dcard " + command + ": " + message + "\n");
    return kFailed;
}

int usage(const std::string& command, const std::string& message)
{
    printError("dcard " + command + ": " + message + " (see dcard " + command + " --help)\n");
    return kUsage;
}

int unexpected(const std::string& command, const std::string& word)
{
    return usage(command, "unexpected word '" + word + "'");
}

std::string whyNotWritable(const std::string& path)
{
    FILE* existing = fopen(path.c_str(), "rb");
    bool existed = existing != nullptr;
    if (existing)
        fclose(existing);
    FILE* file = fopen(path.c_str(), "ab");
    if (!file)
        return strerror(errno);
    fclose(file);
    if (!existed)
        remove(path.c_str());
    return "";
}

bool numberOption(const Arguments& arguments, const std::string& command, const std::string& name,
                  int64_t low, int64_t high, int64_t fallback, int64_t& value)
{
    value = fallback;
    if (!arguments.has(name))
        return true;
    std::string text = arguments.value(name);
    if (!parseNumber(text, value) || value < low || value > high) {
        usage(command, "--" + name + " must be a number from " + std::to_string(low) + " to " +
                           std::to_string(high) + ", not '" + text + "'");
        return false;
    }
    return true;
}

std::unique_ptr<Card> openCard(const Arguments& arguments, const std::string& command)
{
    int64_t number = 0;
    if (!numberOption(arguments, command, "card", 0, 9, 0, number))
        return nullptr;
    beginCall();
    auto card = std::make_unique<Card>(static_cast<int>(number));
    if (card->open())
        return card;
    notOpened(command, static_cast<int>(number));
    return nullptr;
}

bool testMode()
{
    // A bare file name: the Windows directory, where the library looks too
    // (on Linux the stand-in's, as the library sees it).
    return GetPrivateProfileIntA("Settings", "Debug", 0, "SAA7146.INI") != 0;
}
