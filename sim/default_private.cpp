// Linked into the tests' archive: each test process has cards of its own.
#include "virtual_card.h"

bool sim::sharedByDefault()
{
    return false;
}
