// Inside the stand-in: the system's control classes of the dialog manager.
#pragma once

#include "platform/posix/winapi.h"

namespace standin {

// "BUTTON", "COMBOBOX", "SCROLLBAR", "STATIC" and "EDIT" as global classes;
// registered once, on the first dialog.
void registerSystemClasses();
// The class name of a template's predefined class atom (0x80..0x85), or null.
const char* systemClassName(WORD atom);

} // namespace standin
