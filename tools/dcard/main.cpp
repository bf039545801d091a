// dcard: try a card and the library from the command line.
#include <cstdio>
#include <cstring>
#include <string>

#include "card.h"
#include "commands.h"

namespace {

const Command kCommands[] = {
    {"info", "the card, its decoder, memory, configuration, camera inputs and the display",
     "[--card N]", runInfo},
    {"modes", "the 28 frame modes", "[--card N]", runModes},
    {"grab", "digitize frames into BMP or raw files",
     "[--card N] [--camera C] (--mode M | --size WxHxBITS [--yuv]) [--count N [--every MS]]\n"
     "           [--flip] [--raw] [-o FILE]\n"
     "  FILE ending in .raw (or --raw) holds the frame's bytes as digitized; otherwise a BMP\n"
     "  file is written (8, 15, 16 or 24 bits; always stored bottom-up, so --flip applies to\n"
     "  raw files). With --count N the files are numbered: frame-0001.bmp, ...; --every MS\n"
     "  starts a frame every MS milliseconds (as soon as the last is written when it took\n"
     "  longer). Progress goes to standard error when it is a terminal; the frames per\n"
     "  second achieved are shown at the end",
     runGrab},
    {"regs", "list the registers, or get and set one by name",
     "[--card N] [--camera C] [list | get REGISTER | set REGISTER VALUE]\n"
     "  REGISTER is a name from the list, or a raw register number below 0x10000", runRegs},
    {"i2c", "transfers and command sequences on the card's I2C bus",
     "[--card N] [--speed KHZ] speeds | write ADDR SUB BYTE... | read ADDR SUB COUNT | cmd WORD...\n"
     "  a command word holds a byte in bits 0-7 and an attribute in bits 16-17\n"
     "  (3: start condition before it, 1: stop after it); read bytes come back in bits 0-7",
     runI2C},
    {"signal", "set the signal standard of a camera input",
     "[--card N] [--camera C] bw60 | bw50 | ntsc | pal | secam", runSignal},
    {"outputs", "set the port expander's four outputs", "[--card N] VALUE (0..15)", runOutputs},
    {"inputs", "read the port expander's four inputs", "[--card N]", runInputs},
    {"overlay", "show a camera's live picture on the display, or stop it",
     "[--card N] [--camera C] [--rect LEFT,TOP,RIGHT,BOTTOM] on | off\n"
     "  the rectangle is in screen pixels; the card writes into the display's frame buffer",
     runOverlay},
    {"dialog", "show a settings dialog of the capture interface and print the settings",
     "1 | 2 | 7 [--key PATH]\n"
     "  1 picture format, 2 input and registers, 7 everything with the live preview;\n"
     "  the settings live below HKEY_CURRENT_USER in PATH (default Software\\Zemtra\\Orvik)",
     runDialog},
    {"capture", "capture one picture through the full settings dialog into a BMP file",
     "[-o FILE]   (default capture.bmp)", runCapture},
    {"sim", "where the virtual card keeps its state, or power it on afresh (Linux)",
     "[where | reset]\n"
     "  every process of the user sees one virtual card, as with a driver: what one run\n"
     "  sets, the next reads. reset powers it on afresh with the SAA7146_SIM_* variables\n"
     "  of this run (a run whose variables differ from the card's does so too);\n"
     "  SAA7146_SIM_SHARED=0 gives a run a card of its own",
     runSim},
};

const Command* find(const std::string& name)
{
    for (const Command& command : kCommands)
        if (name == command.name)
            return &command;
    return nullptr;
}

void overview()
{
    printf("usage: dcard COMMAND [options]    (dcard COMMAND --help for its options)\n\n");
    for (const Command& command : kCommands)
        printf("  %-8s %s\n", command.name, command.summary);
    printf("\nNumbers may be decimal or 0x hexadecimal. Exit status: 0 done, 1 failed, 2 usage.\n");
}

void help(const Command& command)
{
    printf("usage: dcard %s %s\n\n%s.\n", command.name, command.usage, command.summary);
}

} // namespace

int main(int argc, char** argv)
{
    std::string error;
    Arguments arguments = parseArguments(
        argc, argv,
        {"card", "camera", "mode", "size", "count", "every", "output", "speed", "rect", "key"}, error);
    if (!error.empty()) {
        fprintf(stderr, "dcard: %s\n", error.c_str());
        return kUsage;
    }
    if (arguments.words.empty()) {
        overview();
        return arguments.has("help") ? kSuccess : kUsage;
    }
    std::string name = arguments.words[0];
    if (name == "help") {
        const Command* command = arguments.words.size() > 1 ? find(arguments.words[1]) : nullptr;
        if (command)
            help(*command);
        else
            overview();
        return kSuccess;
    }
    const Command* command = find(name);
    if (!command) {
        fprintf(stderr, "dcard: unknown command '%s' (dcard --help lists them)\n", name.c_str());
        return kUsage;
    }
    if (arguments.has("help")) {
        help(*command);
        return kSuccess;
    }
    return command->run(arguments);
}
