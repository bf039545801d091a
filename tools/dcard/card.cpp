#include "card.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "platform/platform.h"

Card::Card(int number) : number_(number), handle_(DCardInit(number)) {}

Card::~Card()
{
    if (handle_)
        DCardExit(handle_);
}

int fail(const std::string& command, const std::string& message)
{
    fprintf(stderr, "dcard %s: %s\n", command.c_str(), message.c_str());
    return kFailed;
}

void beginCall()
{
    SetLastError(0);
}

namespace {

// The meaning of the last errors a card call leaves.
const char* errorText(DWORD error)
{
    switch (error) {
    case 1: return "the driver does not know the request";
    case 2: return "no such device";
    case 5: return "access denied";
    case 6: return "the card's handle is not valid";
    case 31: return "the device is not working";
    case 50: return "the card does not support the request";
    case 87: return "a parameter the driver refused";
    default: return nullptr;
    }
}

} // namespace

int refused(const std::string& command, const char* call, const std::string& what)
{
    DWORD error = GetLastError();
    std::string reason;
    if (error == 0) {
        reason = "no last error: the card answered with a failure status";
    } else {
        reason = "last error " + std::to_string(error);
        if (const char* text = errorText(error))
            reason += std::string(", ") + text;
    }
    return fail(command, what + ": " + call + " refused (" + reason + ")");
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

bool progressShown()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

int usage(const std::string& command, const std::string& message)
{
    fprintf(stderr, "dcard %s: %s (see dcard %s --help)\n", command.c_str(), message.c_str(),
            command.c_str());
    return kUsage;
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
    refused(command, "DCardInit",
            "card " + std::to_string(number) +
                " could not be opened (no driver, no such card, or already open; "
                "test mode, Debug=1 in SAA7146.INI, serves card 0 without a driver)");
    return nullptr;
}

std::string displayText(const char* text)
{
    std::string out;
    for (const char* c = text ? text : ""; *c; ++c) {
        unsigned char byte = static_cast<unsigned char>(*c);
#ifdef _WIN32
        out.push_back(static_cast<char>(byte));
#else
        if (byte < 0x80) {
            out.push_back(static_cast<char>(byte));
        } else {
            out.push_back(static_cast<char>(0xC0 | byte >> 6));
            out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
#endif
    }
    return out;
}
