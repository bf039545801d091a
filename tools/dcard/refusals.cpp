// Why the card or the library refused: the last error a call left, in words.
#include <string>

#include "card.h"
#include "platform/platform.h"

void beginCall()
{
    SetLastError(0);
}

namespace {

#ifdef _WIN32
// The system's own message, without its closing full stop and line break.
std::string lastErrorText(DWORD error)
{
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = length && text ? std::string(text, length) : std::string();
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}
#else
// The stand-in has no message table: the meaning of the errors a card call
// leaves.
std::string lastErrorText(DWORD error)
{
    switch (error) {
    case 1: return "the driver does not know the request";
    case 2: return "no such device";
    case 5: return "access denied";
    case 6: return "the card's handle is not valid";
    case 31: return "the device is not working";
    case 50: return "the card does not support the request";
    case 87: return "a parameter the driver refused";
    default: return "";
    }
}
#endif

std::string lastError(DWORD error)
{
    std::string text = lastErrorText(error);
    return "last error " + std::to_string(error) + (text.empty() ? "" : ": " + text);
}

} // namespace

int refused(const std::string& command, const char* call, const std::string& what)
{
    DWORD error = GetLastError();
    std::string reason = error ? lastError(error) : "no reason given";
    return fail(command, what + ": " + call + " refused (" + reason + ")");
}

int notOpened(const std::string& command, int number)
{
    DWORD error = GetLastError();
    std::string card = "card " + std::to_string(number);
    std::string why;
    if (testMode() && number != 0)
        why = "test mode (" + std::string(kTestModeKey) + ") serves card 0 only";
    else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        // The driver's device does not exist.
        why = "no driver for the card is installed, or there is no " + card + " (DCardInit, " +
              lastError(error) + "). Test mode, " + kTestModeKey +
              ", serves card 0 without a driver";
    else if (error)
        why = "the driver refused (DCardInit, " + lastError(error) + ")";
    else
        why = "the driver gave no reason (DCardInit)";
    return fail(command, card + " could not be opened: " + why);
}
