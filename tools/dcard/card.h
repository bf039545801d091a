// What every command shares: opening the card, reporting failures, exit codes.
#pragma once

#include <memory>
#include <string>

#include <saa7146/dcard.h>

#include "arguments.h"

enum ExitCode { kSuccess = 0, kFailed = 1, kUsage = 2 };

// The card named by --card (0 when absent), open for the life of the object.
class Card {
public:
    explicit Card(int number);
    ~Card();
    Card(const Card&) = delete;
    Card& operator=(const Card&) = delete;

    bool open() const { return handle_ != 0; }
    int handle() const { return handle_; }
    int number() const { return number_; }

private:
    int number_;
    int handle_;
};

int fail(const std::string& command, const std::string& message);
// Clears the system's last error before a card call, so that a refusal shows
// the error of that call.
void beginCall();
// Says which call the card refused, for what, and the last error it left:
// "dcard regs: reading Hue: DCardGetReg refused (last error 50, not supported)".
int refused(const std::string& command, const char* call, const std::string& what);
// The system's reason why path cannot be written, or "" when it can (an
// existing file is left as it was; one made to find out is removed again).
std::string whyNotWritable(const std::string& path);
// Whether progress lines have a terminal to go to (standard error).
bool progressShown();
int usage(const std::string& command, const std::string& message);

// --name as an integer in [low, high], or fallback when absent; false (with
// the usage message printed) when it is not one.
bool numberOption(const Arguments& arguments, const std::string& command, const std::string& name,
                  int64_t low, int64_t high, int64_t fallback, int64_t& value);

// The open card of --card, or null after saying why it could not be opened.
std::unique_ptr<Card> openCard(const Arguments& arguments, const std::string& command);

// Text of the card's own code page (Windows-1252) for this terminal.
std::string displayText(const char* text);
