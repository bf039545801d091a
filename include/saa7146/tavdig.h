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

/** The C calling convention of the capture interface: the caller removes
 * the arguments. */
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

/** @name Dialog types
 * The type given to TavDigDialog(): each bit brings one group of controls. */
/**@{*/
#define TAVDIG_FORMAT 1 /**< dialog 1000: picture size and colour mode */
#define TAVDIG_SOURCE 2 /**< dialog 1001: camera input, camera signal, register page */
#define TAVDIG_NONE 4   /**< no dialog exists for this type: nothing is shown */
#define TAVDIG_FULL 7   /**< dialog 1003: all groups and the live preview */
/**@}*/

/** The capture format of the current settings (TavDigGetVFWMode()). */
typedef struct TavDigVFWMode {
    uint32_t size;        /**< in: bytes the caller provides; out: bytes written, at most 28 */
    int32_t width;        /**< picture width in pixels */
    int32_t height;       /**< picture height in pixels */
    int32_t bitsPerPixel; /**< 8, 15, 16 or 24 as stored; 16 with YUV */
    int32_t imageSize;    /**< width x height x bytes per pixel (1, 2, 2, 3; 4 for other depths) */
    int32_t camera;       /**< camera (input) number, 0..9 */
    int32_t yuv;          /**< 1: YUV 4:2:2 is selected */
} TavDigVFWMode;
DCARD_STATIC_ASSERT(sizeof(TavDigVFWMode) == 28, "TavDigVFWMode is 28 bytes");

/**
 * Shows one settings dialog, modally, after loading the settings from the
 * registry and applying the stored register sets to card 0 (if a host has
 * it open). The dialog's controls change the settings at once; OK writes
 * them to the registry, Cancel leaves the registry as it was. Register values
 * set on the register page are written to the card and the registry at once.
 *
 * @param parent the dialog's owner, or null.
 * @param type TAVDIG_FORMAT, TAVDIG_SOURCE, TAVDIG_NONE or TAVDIG_FULL.
 *        Types 1 and 2 use card 0 as the host opened it (handle 1). Type 7 is
 *        meant for TavDigCapture(): called directly it shows and saves the
 *        settings but digitizes nothing and places no overlay, and OK says
 *        "Digit error!". Type 4 has no dialog: it loads the settings and
 *        shows nothing.
 * @param keyPath the key below HKEY_CURRENT_USER that holds the settings, at
 *        most 127 characters; null or empty selects "Software\Zemtra\Orvik".
 * @return 1 when the dialog was left with OK; 0 for every other end: Cancel,
 *         the close box, WM_QUIT reaching its modal loop, its owner destroyed.
 *         0 when no dialog could be shown (type 4, or the system refused to
 *         make it). 0 at once, with nothing read or shown, for a type not
 *         listed and for a key path of 128 characters or more.
 * @par Locking
 *         None: one set of dialog settings per process; call from one thread
 *         at a time. However the dialog ended, the live preview of type 7
 *         has stopped when this returns: no thread of the library's runs
 *         then.
 */
DCARD_API int TAVDIG_CALL TavDigDialog(HWND parent, int type, const char* keyPath);

/**
 * Opens card 0, shows the full dialog (type 7, default key) with a live
 * preview, closes the card, and returns the picture taken when the user
 * pressed OK.
 *
 * @param parent owner of the dialog and of the message boxes, or null.
 * @return a movable global memory block holding a packed DIB (header, grey
 *         palette for 8 bits, rows bottom-up) that the caller owns and frees
 *         with GlobalFree(); the library never touches it again. Null when
 *         the card cannot be opened ("Cannot open digitcard !"), memory is
 *         short ("Memory allocation error !") or the dialog ended otherwise
 *         than with OK; nothing is left allocated then. A picture, or the
 *         part of one, that the card did not deliver (test mode without a
 *         frame file) is black.
 * @par Locking
 *         As TavDigDialog(). The preview runs on a thread of its own while
 *         the dialog is up and is stopped before this returns.
 */
DCARD_API HGLOBAL TAVDIG_CALL TavDigCapture(HWND parent);

/**
 * Reports the capture format of the current settings: those of the last
 * settings load or dialog, not read again from the registry.
 *
 * @param mode the record; its size field holds the bytes provided. The first
 *        size bytes (at most 28) are written, and size then holds the bytes
 *        written; nothing past them is touched.
 * @return 1; 0 for a null record.
 */
DCARD_API int TAVDIG_CALL TavDigGetVFWMode(TavDigVFWMode* mode);

#if !defined(_WIN32) || defined(DOXYGEN)
/** @name Global memory on Linux
 * The captured picture's block is movable global memory. On Windows
 * <windows.h> declares these; on Linux the system library beside this one
 * (libsaa7146_system.so) provides them with the same behaviour. */
/**@{*/
/** Locks a block in place; its address, or null for no block. */
void* DCARD_CALL GlobalLock(HGLOBAL block);
/** Ends one GlobalLock(); the block may move again. */
int DCARD_CALL GlobalUnlock(HGLOBAL block);
/** Frees a block; null when it was freed. */
HGLOBAL DCARD_CALL GlobalFree(HGLOBAL block);
/** The bytes a block holds. */
size_t DCARD_CALL GlobalSize(HGLOBAL block);
/**@}*/
#endif

#ifdef __cplusplus
}
#endif

#endif
