// dcard regs: the card's register descriptors and their values.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "card.h"
#include "commands.h"

namespace {

std::vector<DCardRegInfo> descriptors(int handle)
{
    std::vector<DCardRegInfo> all;
    for (int index = 0; index < 1000; ++index) {
        DCardRegInfo info;
        info.size = sizeof(info);
        if (!DCardGetRegInfoEx(handle, index, &info))
            break;
        all.push_back(info);
    }
    return all;
}

std::string scaled(const DCardRegInfo& info, int value)
{
    char text[64];
    if (info.scale == 1.0)
        snprintf(text, sizeof(text), "%d", value);
    else
        snprintf(text, sizeof(text), "%.2f", value * info.scale);
    return text + std::string(info.unit ? info.unit : "");
}

int list(const Card& card, int camera)
{
    printf("  #  %-12s %10s %8s  %-11s %-9s %s\n", "name", "value", "default", "range", "scaled",
           "label");
    auto all = descriptors(card.handle());
    for (size_t i = 0; i < all.size(); ++i) {
        const DCardRegInfo& info = all[i];
        int value = 0;
        std::string shown = "?", scaledValue = "";
        if (DCardGetReg(card.handle(), camera, static_cast<int>(info.regNum), &value)) {
            shown = std::to_string(value);
            scaledValue = scaled(info, value);
        }
        std::string range = std::to_string(info.minValue) + ".." + std::to_string(info.maxValue);
        printCardText("%3zu  %-12s %10s %8d  %-11s %-9s %s\n", i, info.name, shown.c_str(),
                      info.defValue, range.c_str(), scaledValue.c_str(),
                      info.label ? info.label : "");
    }
    return kSuccess;
}

// A raw register number below 0x10000, or the name of a descriptor.
bool findRegister(const Card& card, const std::string& text, int& reg, DCardRegInfo* info)
{
    int64_t number = 0;
    if (parseNumber(text, number)) {
        reg = static_cast<int>(number);
        return true;
    }
    for (const DCardRegInfo& candidate : descriptors(card.handle())) {
        if (text == candidate.name) {
            reg = static_cast<int>(candidate.regNum);
            if (info)
                *info = candidate;
            return true;
        }
    }
    return false;
}

} // namespace

int runRegs(const Arguments& arguments)
{
    const char* command = "regs";
    int64_t camera = 0;
    if (!numberOption(arguments, command, "camera", 0, 9, 0, camera))
        return kUsage;
    const auto& words = arguments.words;
    std::string action = words.size() > 1 ? words[1] : "list";
    if (action != "list" && action != "get" && action != "set")
        return usage(command, "unknown action '" + action + "'");
    size_t taken = action == "list" ? 2 : action == "get" ? 3 : 4;
    if (words.size() > taken)
        return unexpected(command, words[taken]);
    if (action != "list" && words.size() < taken)
        return usage(command, action == "get" ? "get takes a register: NAME or number"
                                              : "set takes a register and a value");
    int64_t number = 0;
    if (action != "list" && parseNumber(words[2], number) && (number < 0 || number >= 0x10000))
        return usage(command, "a raw register number is below 0x10000, not '" + words[2] + "'");
    int64_t value = 0;
    if (action == "set" && (!parseNumber(words[3], value) || value < INT32_MIN || value > UINT32_MAX))
        return usage(command, "the value must be a 32-bit number, not '" + words[3] + "'");

    auto card = openCard(arguments, command);
    if (!card)
        return kFailed;
    // Requests succeed without a driver: what reads back is no card's.
    bool test = testMode();
    if (test && action != "set")
        fprintf(stderr,
                "dcard regs: test mode keeps no register values: the values shown are no card's\n");
    if (action == "list")
        return list(*card, static_cast<int>(camera));

    int reg = 0;
    DCardRegInfo info;
    memset(&info, 0, sizeof(info));
    if (!findRegister(*card, words[2], reg, &info))
        return fail(command, "no register named '" + words[2] + "' on this card (dcard regs lists them)");
    beginCall();
    if (action == "get") {
        int read = 0;
        if (!DCardGetReg(card->handle(), static_cast<int>(camera), reg, &read))
            return refused(command, "DCardGetReg", "reading " + words[2]);
        if (info.name)
            printCardText("%s = %d (%s)\n", info.name, read, scaled(info, read).c_str());
        else
            printf("0x%04x = 0x%08x\n", static_cast<unsigned>(reg), static_cast<unsigned>(read));
        return kSuccess;
    }
    if (!DCardSetReg(card->handle(), static_cast<int>(camera), reg, static_cast<int>(value)))
        return refused(command, "DCardSetReg", "writing " + words[2]);
    // As get shows them: a raw register in hexadecimal, a named one in decimal.
    if (!info.name) {
        printf("0x%04x set to 0x%08x\n", static_cast<unsigned>(reg), static_cast<unsigned>(value));
        return kSuccess;
    }
    if (value >= info.minValue && value <= info.maxValue) {
        printf("%s set to %lld\n", info.name, static_cast<long long>(value));
        return kSuccess;
    }
    if (test) {
        printf("%s: %lld is outside its range %d..%d; test mode keeps no register values, so what "
               "a card would store is not known\n",
               info.name, static_cast<long long>(value), info.minValue, info.maxValue);
        return kSuccess;
    }
    // The card takes a value outside the range without complaint; say what
    // it kept.
    int stored = 0;
    beginCall();
    if (!DCardGetReg(card->handle(), static_cast<int>(camera), reg, &stored))
        return refused(command, "DCardGetReg", "reading back " + words[2]);
    printCardText("%s: %lld is outside its range %d..%d; the card stored %d (%s)\n", info.name,
                  static_cast<long long>(value), info.minValue, info.maxValue, stored,
                  scaled(info, stored).c_str());
    return kSuccess;
}
