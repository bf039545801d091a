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
int usage(const std::string& command, const std::string& message);

// --name as an integer in [low, high], or fallback when absent; false (with
// the usage message printed) when it is not one.
bool numberOption(const Arguments& arguments, const std::string& command, const std::string& name,
                  int64_t low, int64_t high, int64_t fallback, int64_t& value);

// The open card of --card, or null after saying why it could not be opened.
std::unique_ptr<Card> openCard(const Arguments& arguments, const std::string& command);

// Text of the card's own code page (Windows-1252) for this terminal.
std::string displayText(const char* text);
