/*
 * The few Windows types that the card interface carries, for systems other
 * than Windows. On Windows <windows.h> supplies them and this file is not used.
 */
#ifndef SAA7146_WINTYPES_H
#define SAA7146_WINTYPES_H

#ifdef _WIN32
#include <windows.h>
#else
#include <stdint.h>

typedef int32_t LONG;
typedef struct HWND__* HWND;
typedef void* HGLOBAL;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT;

#endif

#endif
