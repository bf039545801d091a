// The first DirectDraw interfaces: the system's on Windows, the stand-in's
// layout-compatible ones elsewhere. Nothing of DirectDraw is linked: ddraw.dll
// is loaded at run time and DirectDrawCreate taken from it.
#pragma once

#include "platform/platform.h"

#ifdef _WIN32
#include <ddraw.h>
#else
#include "platform/posix/ddraw.h"
#endif

typedef HRESULT(WINAPI* DirectDrawCreateFn)(GUID* driver, LPDIRECTDRAW* object, IUnknown* outer);
