// dcard: try a card and the library from the command line.
#include <cstdio>
#include <cstring>
#include <string>

#include "card.h"
#include "commands.h"
#include "saa7146_version.h"

namespace {

const Command kCommands[] = {
    {"info", "the card, its decoder, memory, configuration, camera inputs and the display", "card=",
     "[--card N]\n  says so when test mode (Debug=1 in SAA7146.INI) stands in for the driver",
     runInfo},
    {"modes", "the 28 frame modes", "card=", "[--card N]", runModes},
    {"grab", "digitize frames into BMP or raw files",
     "card= camera= mode= size= yuv count= every= flip raw output=",
     "[--card N] [--camera C] (--mode M | --size WxHxBITS [--yuv]) [--count N [--every MS]]\n"
     "           [--flip] [--raw] [-o FILE]\n"
     "  FILE ending in .raw (or --raw) holds the frame's bytes as digitized; otherwise a BMP\n"
     "  file is written (8, 15, 16 or 24 bits; always stored bottom-up, so --flip applies to\n"
     "  raw files). A frame must fit the card's frame memory (dcard info). With --count N the\n"
     "  files are numbered: frame-0001.bmp, ...; --every MS starts a frame every MS\n"
     "  milliseconds (as soon as the last is written when it took longer). Progress goes to\n"
     "  standard error when it is a terminal; the frames per second achieved are shown at the end",
     runGrab},
    {"regs", "list the registers, or get and set one by name", "card= camera=",
     "[--card N] [--camera C] [list | get REGISTER | set REGISTER VALUE]\n"
     "  REGISTER is a name from the list, or a raw register number below 0x10000; a raw\n"
     "  register's value is shown in hexadecimal, a named one's in decimal", runRegs},
    {"i2c", "transfers and command sequences on the card's I2C bus", "card= speed=",
     "[--card N] [--speed KHZ] speeds | write ADDR SUB BYTE... | read ADDR SUB COUNT | cmd WORD...\n"
     "  a write carries 0 to 256 bytes, a read 1 to 256; a command word holds a byte in bits 0-7\n"
     "  and an attribute in bits 16-17 (3: start condition before it, 1: stop after it); read\n"
     "  bytes come back in bits 0-7",
     runI2C},
    {"signal", "set the signal standard of a camera input", "card= camera=",
     "[--card N] [--camera C] bw60 | bw50 | ntsc | pal | secam", runSignal},
    {"outputs", "set the port expander's four outputs", "card=", "[--card N] VALUE (0..15)",
     runOutputs},
    {"inputs", "read the port expander's four inputs", "card=", "[--card N]", runInputs},
    {"overlay", "show a camera's live picture on the display, or stop it", "card= camera= rect=",
     "[--card N] [--camera C] [--rect LEFT,TOP,RIGHT,BOTTOM] on | off\n"
     "  the rectangle is in screen pixels, right and bottom excluded, and must lie on the\n"
     "  display: the card writes into the display's frame buffer",
     runOverlay},
    {"dialog", "show a settings dialog of the capture interface and print the settings",
     "card= key=",
     "[--key PATH] 1 | 2 | 7\n"
     "  1 picture format; 2 camera input, signal and the card's registers; 7 all of these\n"
     "  (its live picture shows only in dcard capture, which takes the picture). Card 0 is\n"
     "  open meanwhile, as a capture host has it: the capture interface knows no other\n"
     "  (--card may only name 0). The settings live below HKEY_CURRENT_USER in PATH (at most\n"
     "  127 characters; default Software\\Zemtra\\Orvik)",
     runDialog},
    {"capture", "capture one picture through the full settings dialog into a BMP file",
     "card= output=",
     "[-o FILE]   (default capture.bmp)\n"
     "  the capture interface opens card 0 itself (--card may only name 0)", runCapture},
    {"sim", "where the virtual card keeps its state, or power it on afresh (Linux)", "",
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
    printf("usage: dcard COMMAND [options]    (dcard COMMAND --help for its options;\n"
           "                                    dcard --version for the version)\n\n");
    for (const Command& command : kCommands)
        printf("  %-8s %s\n", command.name, command.summary);
    printf("\nNumbers may be decimal or 0x hexadecimal. Exit status: 0 done, 1 refused by the\n"
           "card or the library, 2 a command line dcard cannot take.\n");
}

void help(const Command& command)
{
    printf("usage: dcard %s %s\n\n%s.\n", command.name, command.usage, command.summary);
}

// Every option of every command, so that one given to the wrong command is
// told from a misspelt one.
Options allOptions()
{
    std::string list = "help version";
    for (const Command& command : kCommands)
        list += std::string(" ") + command.options;
    return Options(list.c_str());
}

int runHelp(const Arguments& arguments, const Options& known)
{
    std::string wrong = checkOptions(arguments, Options(""), known, "to help");
    if (!wrong.empty())
        return usage("help", wrong);
    if (arguments.words.size() > 2)
        return unexpected("help", arguments.words[2]);
    if (arguments.words.size() == 1) {
        overview();
        return kSuccess;
    }
    const Command* command = find(arguments.words[1]);
    if (!command) {
        fprintf(stderr, "dcard help: unknown command '%s' (dcard --help lists them)\n",
                arguments.words[1].c_str());
        return kUsage;
    }
    help(*command);
    return kSuccess;
}

} // namespace

int main(int argc, char** argv)
{
    Options known = allOptions();
    std::string error;
    Arguments arguments = parseArguments(argc, argv, known.valued, error);
    if (!error.empty()) {
        fprintf(stderr, "dcard: %s\n", error.c_str());
        return kUsage;
    }
    if (arguments.words.empty()) {
        bool version = arguments.has("version");
        std::string wrong = checkOptions(arguments, Options(version ? "version" : ""), known,
                                         version ? "beside --version" : "without a command");
        if (!wrong.empty()) {
            fprintf(stderr, "dcard: %s (dcard --help lists the commands)\n", wrong.c_str());
            return kUsage;
        }
        if (version) {
            printf("dcard %s\n", SAA7146_VERSION_STRING);
            return kSuccess;
        }
        overview();
        return arguments.has("help") ? kSuccess : kUsage;
    }
    std::string name = arguments.words[0];
    if (name == "help")
        return runHelp(arguments, known);
    const Command* command = find(name);
    if (!command) {
        // "dcard -card 1 info": the option is the fault, not the command.
        std::string wrong = checkOptions(arguments, known, known, "");
        fprintf(stderr, "dcard: %s (dcard --help lists the commands)\n",
                wrong.empty() ? ("unknown command '" + name + "'").c_str() : wrong.c_str());
        return kUsage;
    }
    Options taken(command->options);
    std::string wrong = checkOptions(arguments, taken, known, "to " + name);
    if (!wrong.empty())
        return usage(name, wrong);
    if (arguments.has("help")) {
        help(*command);
        return kSuccess;
    }
    // A card number out of range is the command line's fault, not the card's.
    int64_t card = 0;
    if (taken.valued.count("card") && !numberOption(arguments, name, "card", 0, 9, 0, card))
        return kUsage;
    return command->run(arguments);
}
