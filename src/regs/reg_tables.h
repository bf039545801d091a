// The register descriptors: the bridge's table, present on every card, and
// one decoder table (SAA7110 or KS0127B) chosen by the card's decoder type.
// A card's view is the bridge rows followed by its decoder's rows.
//
// The tables are shared by all cards and rewritten by every open (new
// identifiers, the card's defaults), so every access goes through this
// interface, which holds the tables' lock while a row is read or written:
// a reader never sees a half-written row.
#pragma once

#include <cstdint>

#include <saa7146/dcard.h>

constexpr int kDecoderSaa7110 = 2;
constexpr int kDecoderKs0127b = 3;

// A copy of bridge row index (0..9), as it stands; false past the table.
bool copyBridgeDescriptor(int index, DCardRegInfo* out);

// Finds the first descriptor of a decoder type's view whose position, whole
// regNum or name (exact, case-sensitive) matches, and copies it. Unused keys
// are -1, 0xFFFFFFFF and "". Position below -1, or no match: false.
bool findDescriptor(int decoderType, int position, uint32_t id, const char* name,
                    DCardRegInfo* out);

// Runs update on the row at a position of the view under the tables' lock;
// false when the view has no such row.
bool updateDescriptor(int decoderType, int position, void (*update)(DCardRegInfo&, void*),
                      void* context);

// Puts every table back as it is stored in the library (for tests).
void resetDescriptorTables();
