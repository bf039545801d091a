// The tool's commands. Each takes the parsed command line (words[0] is the
// command's name) and returns the exit code.
#pragma once

#include "arguments.h"

struct Command {
    const char* name;
    const char* summary;
    const char* options; // those it takes, as Options reads them
    const char* usage;   // options and arguments, shown by --help
    int (*run)(const Arguments& arguments);
};

int runInfo(const Arguments& arguments);
int runModes(const Arguments& arguments);
int runGrab(const Arguments& arguments);
int runRegs(const Arguments& arguments);
int runI2C(const Arguments& arguments);
int runSignal(const Arguments& arguments);
int runOutputs(const Arguments& arguments);
int runInputs(const Arguments& arguments);
int runOverlay(const Arguments& arguments);
int runDialog(const Arguments& arguments);
int runCapture(const Arguments& arguments);
int runSim(const Arguments& arguments);
