// Inside the stand-in: the loaded modules that carry resources, and the
// resources themselves, found as Windows finds them in a module's compiled
// resource data (.res layout: one header and one data block per resource).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/posix/winapi.h"

namespace standin {

// A module's resource data, registered by the module's own entry code (the
// Linux counterpart of the loader reading a DLL's resource section). The
// data must outlive the registration. Returns the module's instance handle.
HINSTANCE registerModule(const char* fileName, const uint8_t* resources, size_t size);
void unregisterModule(HINSTANCE instance);
// What a module does when the process ends (its entry point told so, as
// Windows tells it): run by exitProcessAsWindowsDoes, last registered first.
void registerProcessEnd(void (*handler)());

struct Resource {
    const uint8_t* data = nullptr;
    size_t size = 0;
    WORD language = 0;
};

// A resource by type and name (each a number from MAKEINTRESOURCE or a
// string), in the user's language if the module has it, else US English,
// else any language. False when the module has no such resource.
bool findResource(HINSTANCE instance, LPCSTR type, LPCSTR name, Resource& found);

// The user's language as the locale variables choose it: 1038 (Hungarian)
// or 1033 (US English).
WORD userLanguage();
// UTF-16 text in the ANSI code page of the user's language; a character the
// code page lacks becomes '?'.
std::string ansiFromWide(const uint16_t* text, size_t length);

} // namespace standin
