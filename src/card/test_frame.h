// Test mode's frame source: a digitize call fills the caller's buffer from a
// raw file per frame, named after the frame format and a running number.
#pragma once

#include <cstddef>

#include "card/driver_request.h"
#include "card/test_sources.h"

// Whether a stem format is safe to give the frame number: at most one
// integer conversion (d, i, u, x, X or o, with flags, a width and a
// precision of at most 255, and an h, hh or l size), any number of "%%",
// and nothing else that printf would take an argument for.
bool stemFormatIsSafe(const char* format);

// The raw file of the camera's current frame number: camPath, then
// "<width>_<height>_<bits>[_RGB]\", the stem, ".raw". False, and no name,
// when the stem format is not safe or the name does not fit the buffer.
bool testFrameName(const CameraSource& camera, const driver::DigitRequest& request, char* name,
                   size_t size);

// Reads the current frame of the request's camera into buffer (the caller's,
// null for none), at most the request's frame bytes. A missing file (or one whose name cannot be made) falls
// back to the camera's first frame number; either way the number advances.
// Cameras outside 0..9 read nothing and change nothing.
void readTestFrame(const driver::DigitRequest& request, uint8_t* buffer);
