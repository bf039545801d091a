// The dialog procedure of every capture dialog, and what it runs.
#pragma once

#include <saa7146/dcard.h>

#include "platform/platform.h"

extern "C" DCARD_API INT_PTR CALLBACK DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
