// The table of card functions that DCardGetFunctions hands out.
#pragma once

#include <saa7146/dcard.h>

// Every entry the library has; the size word is 0.
DCardFunctions functionTable();
