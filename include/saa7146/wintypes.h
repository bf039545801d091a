/**
 * @file wintypes.h
 * The few Windows types that the card interface carries, for systems other
 * than Windows. On Windows <windows.h> supplies them and this file is not used.
 */
#ifndef SAA7146_WINTYPES_H
#define SAA7146_WINTYPES_H

#ifdef _WIN32
#include <windows.h>
#else
#include <stdint.h>

/** A signed 32-bit number, as Windows has it. */
typedef int32_t LONG;
/** A window, as the stand-in for Windows hands it out. */
typedef struct HWND__* HWND;
/** A block of global memory, as GlobalAlloc returns it. */
typedef void* HGLOBAL;

/** A rectangle: left and top inside it, right and bottom just outside. */
typedef struct tagRECT {
    LONG left;   /**< first column */
    LONG top;    /**< first row */
    LONG right;  /**< the column after the last */
    LONG bottom; /**< the row after the last */
} RECT;

#endif

#endif
