// Linked into the system library: programs see the cards every process sees.
#include "virtual_card.h"

bool sim::sharedByDefault()
{
    return true;
}
