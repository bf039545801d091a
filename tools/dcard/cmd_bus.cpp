// dcard i2c, signal, outputs, inputs: the card's bus and its simple controls.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "card.h"
#include "commands.h"

namespace {

bool byteArgument(const std::string& text, uint32_t limit, int& value)
{
    int64_t number = 0;
    if (!parseNumber(text, number) || number < 0 || number > limit)
        return false;
    value = static_cast<int>(number);
    return true;
}

std::string hexByte(int value)
{
    char text[8];
    snprintf(text, sizeof(text), "0x%02x", static_cast<unsigned>(value));
    return text;
}

} // namespace

int runI2C(const Arguments& arguments)
{
    const char* command = "i2c";
    const auto& words = arguments.words;
    std::string action = words.size() > 1 ? words[1] : "";
    int64_t speed = 100;
    if (!numberOption(arguments, command, "speed", 1, 100000, 100, speed))
        return kUsage;
    int address = 0, subAddress = 0, count = 0;
    std::vector<uint8_t> bytes;
    std::vector<uint32_t> commandWords;
    if (action == "write" || action == "read") {
        if (words.size() < 4 || !byteArgument(words[2], 255, address) || !byteArgument(words[3], 255, subAddress))
            return usage(command, action + " takes an address and a sub-address (0..255)");
        if (action == "read" && words.size() > 5)
            return unexpected(command, words[5]);
        // A read of nothing would send a request and show nothing.
        if (action == "read" &&
            (words.size() != 5 || !byteArgument(words[4], 256, count) || count == 0))
            return usage(command, "read takes a count of 1..256 bytes" +
                                      (words.size() == 5 ? ", not '" + words[4] + "'" : ""));
        for (size_t i = 4; action == "write" && i < words.size(); ++i) {
            int byte = 0;
            if (!byteArgument(words[i], 255, byte))
                return usage(command, "'" + words[i] + "' is no byte");
            bytes.push_back(static_cast<uint8_t>(byte));
        }
        if (bytes.size() > 256)
            return usage(command, "a transfer carries at most 256 bytes");
    } else if (action == "cmd") {
        for (size_t i = 2; i < words.size(); ++i) {
            int64_t word = 0;
            if (!parseNumber(words[i], word) || word < 0 || word > 0xFFFFFFFFll)
                return usage(command, "'" + words[i] + "' is no command word");
            commandWords.push_back(static_cast<uint32_t>(word));
        }
        if (commandWords.empty() || commandWords.size() > 256)
            return usage(command, "cmd takes 1 to 256 words (byte in bits 0-7, attribute in 16-17)");
    } else if (action != "speeds") {
        return usage(command, action.empty() ? "give an action: speeds, write, read or cmd"
                                             : "unknown action '" + action + "'");
    } else if (words.size() > 2) {
        return unexpected(command, words[2]);
    }

    auto card = openCard(arguments, command);
    if (!card)
        return kFailed;
    int handle = card->handle();
    int speedArgument = static_cast<int>(speed);
    beginCall();
    if (action == "speeds") {
        const int* speeds = DCardGetI2CSpeeds(handle);
        if (!speeds)
            return refused(command, "DCardGetI2CSpeeds", "the list of bus speeds");
        for (const int* s = speeds; *s; ++s)
            printf("%d kHz\n", *s);
        return kSuccess;
    }
    if (action == "write") {
        if (!DCardI2CTransmit(handle, speedArgument, address, subAddress, bytes.data(),
                              static_cast<int>(bytes.size())))
            return refused(command, "DCardI2CTransmit",
                           "writing to " + hexByte(address) + " (does a device answer there?)");
        printf("wrote %zu byte%s\n", bytes.size(), bytes.size() == 1 ? "" : "s");
        return kSuccess;
    }
    if (action == "read") {
        std::vector<uint8_t> buffer(static_cast<size_t>(count) + 1);
        if (!DCardI2CReceive(handle, speedArgument, address, subAddress, buffer.data(), count))
            return refused(command, "DCardI2CReceive",
                           "reading from " + hexByte(address) + " (does a device answer there?)");
        for (int i = 0; i < count; ++i)
            printf("%s0x%02x", i ? " " : "", buffer[static_cast<size_t>(i)]);
        printf("\n");
        return kSuccess;
    }
    bool ok = DCardI2CCommand(handle, speedArgument, commandWords.data(),
                              static_cast<int>(commandWords.size())) != 0;
    for (size_t i = 0; i < commandWords.size(); ++i)
        printf("%s0x%05x", i ? " " : "", commandWords[i]);
    printf("\n");
    return ok ? kSuccess
              : refused(command, "DCardI2CCommand",
                        "the command sequence (does every device addressed answer?)");
}

int runSignal(const Arguments& arguments)
{
    const char* command = "signal";
    static const char* const names[5] = {"bw60", "bw50", "ntsc", "pal", "secam"};
    int64_t camera = 0;
    if (!numberOption(arguments, command, "camera", 0, 9, 0, camera))
        return kUsage;
    if (arguments.words.size() > 2)
        return unexpected(command, arguments.words[2]);
    if (arguments.words.size() != 2)
        return usage(command, "give the signal: bw60, bw50, ntsc, pal, secam (or 0..4)");
    const std::string& text = arguments.words[1];
    int type = -1;
    for (int i = 0; i < 5; ++i)
        if (text == names[i] || text == std::to_string(i))
            type = i;
    if (type < 0)
        return usage(command, "unknown signal '" + text + "'");
    auto card = openCard(arguments, command);
    if (!card)
        return kFailed;
    beginCall();
    if (!DCardSetCameraSignal(card->handle(), static_cast<int>(camera), type))
        return refused(command, "DCardSetCameraSignal", std::string("setting ") + names[type]);
    printf("camera %lld: %s\n", static_cast<long long>(camera), names[type]);
    return kSuccess;
}

int runOutputs(const Arguments& arguments)
{
    const char* command = "outputs";
    int value = 0;
    if (arguments.words.size() > 2)
        return unexpected(command, arguments.words[2]);
    if (arguments.words.size() != 2 || !byteArgument(arguments.words[1], 15, value))
        return usage(command, "give the four outputs as a value 0..15");
    auto card = openCard(arguments, command);
    if (!card)
        return kFailed;
    beginCall();
    if (!DCardSetOutputs(card->handle(), value))
        return refused(command, "DCardSetOutputs",
                       "setting the outputs (the port expander did not answer, or there is none)");
    printf("outputs 0x%x\n", static_cast<unsigned>(value));
    return kSuccess;
}

int runInputs(const Arguments& arguments)
{
    const char* command = "inputs";
    if (arguments.words.size() > 1)
        return unexpected(command, arguments.words[1]);
    auto card = openCard(arguments, command);
    if (!card)
        return kFailed;
    int inputs = 0;
    beginCall();
    if (!DCardGetInputs(card->handle(), &inputs))
        return refused(command, "DCardGetInputs",
                       "reading the inputs (the port expander did not answer, or there is none)");
    printf("inputs 0x%x (%d%d%d%d)\n", static_cast<unsigned>(inputs), inputs >> 3 & 1,
           inputs >> 2 & 1, inputs >> 1 & 1, inputs & 1);
    return kSuccess;
}
