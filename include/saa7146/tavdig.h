/*
 * SAA7146 frame-grabber card library: the capture interface of a
 * video-capture host.
 *
 * TavDigDialog shows one of the card's settings dialogs; TavDigCapture opens
 * card 0, shows the full dialog with a live preview and returns the picture
 * taken on OK as a packed device-independent bitmap; TavDigGetVFWMode reports
 * the capture format of the current settings. The settings live in the
 * registry of the current user, under "Software\Zemtra\Orvik" unless the
 * host names its own key.
 *
 * These three functions use the C calling convention (the caller removes the
 * arguments). They run on the caller's thread and must not be called from
 * two threads at once: there is one set of dialog settings per process.
 */
#ifndef SAA7146_TAVDIG_H
#define SAA7146_TAVDIG_H

#include "dcard.h"

#if defined(_WIN32)
#define TAVDIG_CALL __cdecl
#elif defined(__i386__)
#define TAVDIG_CALL __attribute__((cdecl))
#else
#define TAVDIG_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The dialog types: each bit brings one group of controls. */
#define TAVDIG_FORMAT 1  /* dialog 1000: picture size and colour mode */
#define TAVDIG_SOURCE 2  /* dialog 1001: camera input, signal, register page */
#define TAVDIG_NONE 4    /* no dialog exists for this type */
#define TAVDIG_FULL 7    /* dialog 1003: all groups and the live preview */

/* The capture format of the current settings. */
typedef struct TavDigVFWMode {
    uint32_t size;          /* in: bytes the caller provides; out: bytes written (at most 28) */
    int32_t width;          /* picture width in pixels */
    int32_t height;         /* picture height in pixels */
    int32_t bitsPerPixel;   /* 8, 15, 16 or 24 as stored; 16 with YUV */
    int32_t imageSize;      /* width x height x bytes per pixel (1, 2, 2, 3; 4 for other depths) */
    int32_t camera;         /* camera (input) number */
    int32_t yuv;            /* 1: YUV 4:2:2 */
} TavDigVFWMode;
DCARD_STATIC_ASSERT(sizeof(TavDigVFWMode) == 28, "TavDigVFWMode is 28 bytes");

/* Shows dialog type 1, 2 or 7 modally, owned by parent (may be null), after
 * loading the settings from the key path below HKEY_CURRENT_USER (null or
 * empty: the default key). Returns 1 when the dialog was left with OK, 0 when
 * it was cancelled, and 0 at once for any other type and for a key path of
 * 128 characters or more (nothing is loaded then). Type 4 shows nothing and
 * reports how the previous dialog ended (1 after loading). Type 7 digitizes
 * only inside TavDigCapture; called directly it shows the settings without
 * a picture. */
DCARD_API int TAVDIG_CALL TavDigDialog(HWND parent, int type, const char* keyPath);

/* Opens card 0, shows the full dialog (type 7) with the default key, closes
 * the card, and returns the picture taken on OK: a movable global memory
 * block with a packed DIB that the caller owns and frees with GlobalFree.
 * Null when the card cannot be opened ("Cannot open digitcard !"), memory is
 * short ("Memory allocation error !") or the dialog was cancelled. */
DCARD_API HGLOBAL TAVDIG_CALL TavDigCapture(HWND parent);

/* Fills the record from the current settings (those of the last load or
 * dialog, not read again from the registry): the first mode->size bytes, at
 * most 28; size then holds the bytes written. Returns 1; 0 for a null
 * record. */
DCARD_API int TAVDIG_CALL TavDigGetVFWMode(TavDigVFWMode* mode);

#ifndef _WIN32
/* The captured picture's block is movable global memory. On Windows
 * <windows.h> declares these; on Linux the system library beside this one
 * (libsaa7146_system.so) provides them with the same behaviour. */
void* DCARD_CALL GlobalLock(HGLOBAL block);
int DCARD_CALL GlobalUnlock(HGLOBAL block);
HGLOBAL DCARD_CALL GlobalFree(HGLOBAL block);
size_t DCARD_CALL GlobalSize(HGLOBAL block);
#endif

#ifdef __cplusplus
}
#endif

#endif
