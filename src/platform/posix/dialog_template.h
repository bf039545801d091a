// Inside the stand-in: a dialog template (DLGTEMPLATE and its items, as a
// resource compiler writes them) read into plain values.
#pragma once

#include <string>
#include <vector>

#include "platform/posix/winapi.h"

namespace standin {

struct DialogItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    WORD id = 0;
    std::string className; // a system class by name, or the template's own
    std::string text;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;
    WORD fontSize = 0;
    std::string fontName;
    std::vector<DialogItem> items;
};

// False for data that is not a whole template; texts come in the ANSI code
// page of the user's language.
bool parseDialogTemplate(const uint8_t* data, size_t size, DialogTemplate& out);

} // namespace standin
