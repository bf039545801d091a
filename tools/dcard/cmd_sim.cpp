// dcard sim: the virtual card that stands in for the driver on Linux, shared
// by every process of the user.
#include <cstdio>
#include <string>

#include "card.h"
#include "commands.h"

#ifndef _WIN32
#include "virtual_card.h"
#endif

int runSim(const Arguments& arguments)
{
    const char* command = "sim";
    const auto& words = arguments.words;
    std::string action = words.size() > 1 ? words[1] : "where";
    if (words.size() > 2)
        return unexpected(command, words[2]);
    if (action != "where" && action != "reset")
        return usage(command, "unknown action '" + action + "': give where or reset");
#ifdef _WIN32
    return fail(command, "this build talks to the card's driver: it has no virtual card");
#else
    if (action == "reset")
        sim::reset();
    sim::SharedCards* shared = sim::sharedCards();
    int cards = sim::cardCount();
    if (action == "reset")
        printf("virtual cards powered on afresh: ");
    if (shared)
        printf("%d card%s shared by every process of this user, state in %s\n", cards,
               cards == 1 ? "" : "s", shared->directory().c_str());
    else
        printf("%d card%s of this process alone (SAA7146_SIM_SHARED=0, or the shared state "
               "could not be opened)\n",
               cards, cards == 1 ? "" : "s");
    return kSuccess;
#endif
}
