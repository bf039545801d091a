// Inside the stand-in: registered window classes, found as CreateWindowExA
// finds them (the instance's own local class first, then a global one).
#pragma once

#include <string>

#include "platform/posix/winapi.h"

namespace standin {

struct WindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    HCURSOR cursor = nullptr;
};

bool findWindowClass(LPCSTR name, HINSTANCE instance, WindowClass& found);

} // namespace standin
