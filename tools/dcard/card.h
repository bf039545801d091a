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
// "dcard regs: reading Hue: DCardGetReg refused (last error 50: ...)"; on
// Windows in the system's words.
int refused(const std::string& command, const char* call, const std::string& what);
// Says why DCardInit could not open the card, from the last error it left.
int notOpened(const std::string& command, int number);
// The system's reason why path cannot be written, or "" when it can (an
// existing file is left as it was; one made to find out is removed again).
std::string whyNotWritable(const std::string& path);
// Whether progress lines have a terminal to go to (standard error).
bool progressShown();
int usage(const std::string& command, const std::string& message);
// A word the command line holds beyond what the command takes.
int unexpected(const std::string& command, const std::string& word);

// --name as an integer in [low, high], or fallback when absent; false (with
// the usage message printed) when it is not one.
bool numberOption(const Arguments& arguments, const std::string& command, const std::string& name,
                  int64_t low, int64_t high, int64_t fallback, int64_t& value);

// The open card of --card, or null after saying why it could not be opened.
std::unique_ptr<Card> openCard(const Arguments& arguments, const std::string& command);

// Whether test mode is on (Debug in [Settings] of SAA7146.INI, read as the
// library reads it): no driver, every request succeeds, frames from files.
bool testMode();
// How test mode is switched on, for messages.
extern const char kTestModeKey[];

#ifdef __MINGW32__
#define DCARD_PRINTF_FORMAT __MINGW_PRINTF_FORMAT
#else
#define DCARD_PRINTF_FORMAT printf
#endif

// printf for lines that hold the card's text (Windows-1252: the degree sign
// of a unit). Linux gets UTF-8; on Windows a console shows it right whatever
// its code page, and redirected output keeps the card's bytes.
void printCardText(const char* format, ...) __attribute__((format(DCARD_PRINTF_FORMAT, 1, 2)));
// A line for standard error in the system's ANSI code page (the system's
// messages, the command line), shown right by a Windows console the same way.
void printError(const std::string& line);
