// The one header through which library code reaches the system underneath:
// the real Windows API on Windows, our stand-in for it elsewhere.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#else
#include "platform/posix/winapi.h"
#endif

#include "platform/device_file.h"

