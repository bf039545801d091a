/**
 * @file dcard.h
 * SAA7146 frame-grabber card library: the card interface.
 *
 * Open a card by number with DCardInit() (0..9); it returns a card handle
 * (1..10) that every other call takes first; close it with DCardExit().
 * Every function returns non-zero for success and 0 for failure; a failure
 * changes nothing the caller handed in unless its description says so. The
 * system's last error (GetLastError) is the device's when the driver could
 * not be reached, and ERROR_NOT_SUPPORTED when the driver does not support a
 * request; the library sets it no other way.
 *
 * Records that a caller hands in begin with a 32-bit size word holding the
 * number of bytes the caller provides; the library never writes past it,
 * except the register descriptors (DCardGetRegInfo(), DCardGetRegInfoEx()),
 * which are written whole.
 *
 * Locking: any thread may call any function. Every operation on a card holds
 * that card's lock for its whole length, the wait for the driver included, so
 * calls on one card run one at a time and calls on different cards side by
 * side. Opening, closing and the parameter record hold the card table's lock
 * besides.
 *
 * Test mode: with `Debug=1` in section `[Settings]` of SAA7146.INI (in the
 * Windows directory) card 0 opens without a driver, frames come from raw
 * files, and requests to the driver succeed without being sent; each
 * function says what it does then.
 *
 * Usable from C and C++, with MSVC or mingw on 32-bit Windows, and with gcc
 * on 32-bit x86 Linux. All functions use the standard calling convention.
 *
 * The product is 32-bit. The same interface also builds for 64-bit x86
 * (Windows and Linux), as a vehicle for tests on machines that run no 32-bit
 * code. There the records that hold pointers (DCardRegInfo, DCardFunctions)
 * keep their fields, in the same order and of the same types, at natural
 * alignment: their sizes and offsets are those pinned at the end of this
 * file for 64 bits, not the 32-bit ones. Records without pointers are the
 * same in both widths.
 * Define SAA7146_STATIC when linking the library's objects directly rather
 * than through SAA7146.dll.
 */
#ifndef SAA7146_DCARD_H
#define SAA7146_DCARD_H

#include <stddef.h>
#include <stdint.h>

#include "wintypes.h"

/** The calling convention of every card function: the standard one. */
#if defined(_WIN32)
#define DCARD_CALL __stdcall
#elif defined(__i386__)
#define DCARD_CALL __attribute__((stdcall))
#else
#define DCARD_CALL
#endif

/** How a card function is imported (from SAA7146.dll) or exported. */
#if defined(SAA7146_BUILDING_LIBRARY)
#if defined(_WIN32)
#define DCARD_API /* exported through the module definition file */
#else
#define DCARD_API __attribute__((visibility("default")))
#endif
#elif defined(_WIN32) && !defined(SAA7146_STATIC)
#define DCARD_API __declspec(dllimport)
#else
#define DCARD_API
#endif

/* A check of the records' layouts when the header is compiled; not part of
 * the interface, so left out of the reference manual. */
/** @cond layout_checks */
#ifdef __cplusplus
#define DCARD_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define DCARD_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#else
#define DCARD_ASSERT_JOIN2(a, b) a##b
#define DCARD_ASSERT_JOIN(a, b) DCARD_ASSERT_JOIN2(a, b)
#define DCARD_STATIC_ASSERT(cond, msg) \
    typedef char DCARD_ASSERT_JOIN(dcard_layout_check_, __LINE__)[(cond) ? 1 : -1]
#endif
/** @endcond */

#ifdef __cplusplus
extern "C" {
#endif

/* Every record of this interface is laid out on 4-byte boundaries, so that a
 * double inside a record sits where a 32-bit compiler with 4-byte packing
 * puts it, whatever the compiler's default. A 64-bit build aligns its
 * pointers naturally. */
#if UINTPTR_MAX == 0xFFFFFFFFu
#pragma pack(push, 4)
#else
#pragma pack(push, 8)
#endif

/** Colour types of a frame. */
enum {
    DCARD_COLOUR_GREY = 0,  /**< 8-bit grey */
    DCARD_COLOUR_RGB = 1,   /**< RGB: 5-5-5 in 15 and 16 bits, 8 each in 24 and 32, blue first */
    DCARD_COLOUR_YUV422 = 2 /**< YUV 4:2:2 in 16 bits: Y0 U Y1 V per pair of pixels */
};

/** Parameter record of DCardGetParamEx(): 22 bytes, no alignment gaps. */
#pragma pack(push, 1)
typedef struct DCardParam {
    uint32_t size;            /**< in: bytes provided; out: bytes written */
    uint32_t mapInfo0;        /**< first word of the driver's mapping reply */
    uint32_t frameMemory;     /**< address of the mapped frame memory, 0 if none */
    uint32_t frameMemorySize; /**< size of the frame memory in bytes */
    uint16_t version;         /**< 0x0101 */
    uint32_t mapInfo3;        /**< fourth word of the driver's mapping reply */
} DCardParam;
#pragma pack(pop)

/** One of the 28 frame modes (DCardGetMode()). */
typedef struct DCardFrameMode {
    int32_t size;         /**< in: bytes provided; out: bytes written */
    int32_t mode;         /**< the mode's number, 0..27 */
    int32_t width;        /**< pixels per line */
    int32_t height;       /**< lines */
    int32_t colourType;   /**< DCARD_COLOUR_GREY, DCARD_COLOUR_RGB or DCARD_COLOUR_YUV422 */
    int32_t bitsPerPixel; /**< 8, 15 (RGB 5-5-5), 16 (YUV 4:2:2) or 24 */
    int32_t frameBytes;   /**< bytes of a packed frame: width x height x bytes per pixel */
} DCardFrameMode;

/** A register descriptor: a named bit field of a register (DCardGetRegInfo(),
 * DCardGetRegInfoEx()). Its texts are the library's own, in Windows-1252, and
 * stay valid while the library is loaded. */
typedef struct DCardRegInfo {
    uint32_t size;     /**< not read; the descriptor is written whole */
    const char* name;  /**< the name DCardSetStringReg() and DCardGetStringReg() take */
    const char* label; /**< a label for people */
    uint32_t regNum;   /**< bits 16-31: descriptor identifier (a card's view); 0-15: register */
    int32_t shift;     /**< the field's lowest bit in the register */
    int32_t width;     /**< the field's bits */
    int32_t isSigned;  /**< non-zero: the field is two's complement, read sign-extended */
    int32_t defValue;  /**< power-on value, read from the card when it was opened */
    int32_t minValue;  /**< the lowest value meant for the field */
    int32_t maxValue;  /**< the highest value meant for the field */
    const char* unit;  /**< unit of the scaled value, "" for none */
    double scale;      /**< value x scale = the value in unit */
    int32_t isBoolean; /**< non-zero: the field is a switch, 0 or 1 */
} DCardRegInfo;

/** The card's memory configuration (DCardGetMemoryConfig(),
 * DCardSetMemoryConfig()): where in the frame memory things go. */
typedef struct DCardMemoryConfig {
    uint32_t size;          /**< in: bytes provided */
    uint32_t captureOffset; /**< where DCardDigit() finds its frames */
    uint32_t maskOffset;    /**< where clipping masks are put for the driver */
    uint32_t outputOffset;  /**< where output data is put for the driver */
    uint32_t boardType;     /**< the board's type (0x200: two cameras, the second as two planes) */
    uint32_t extraInfo;     /**< more about the board, from the driver */
} DCardMemoryConfig;

/** A camera input's record, mainly its display name (DCardGetCameraRecord,
 * through DCardGetFunctions()). */
typedef struct DCardCameraRecord {
    uint32_t size;  /**< in: bytes provided (40 for the whole record) */
    uint32_t info;  /**< a word the driver fills in */
    char name[32];  /**< the input's name, NUL-terminated */
} DCardCameraRecord;

/** Pointer to DCardInit(). */
typedef int(DCARD_CALL* DCardInitFn)(int cardNumber);
/** Pointer to DCardExit(). */
typedef int(DCARD_CALL* DCardExitFn)(int handle);
/** Pointer to DCardGetMode(). */
typedef int(DCARD_CALL* DCardGetModeFn)(int handle, int mode, DCardFrameMode* record);
/** Pointer to DCardSetCameraSignal(). */
typedef int(DCARD_CALL* DCardSetCameraSignalFn)(int handle, int camera, int signalType);
/** Pointer to DCardDigit(). */
typedef int(DCARD_CALL* DCardDigitFn)(int handle, int camera, int mode, void* buffer,
                                      uint32_t bufferLength, uint32_t* bytesOut, int flip);
/** Pointer to DCardDigitEx(). */
typedef int(DCARD_CALL* DCardDigitExFn)(int handle, int camera, int width, int height,
                                        int bitsPerPixel, int colourType, void* buffer,
                                        uint32_t bufferLength, uint32_t* bytesOut, int flip);
/** Pointer to DCardSetReg(). */
typedef int(DCARD_CALL* DCardSetRegFn)(int handle, int camera, int reg, int value);
/** Pointer to DCardGetReg(). */
typedef int(DCARD_CALL* DCardGetRegFn)(int handle, int camera, int reg, int* value);
/** Pointer to DCardSetStringReg(). */
typedef int(DCARD_CALL* DCardSetStringRegFn)(int handle, int camera, const char* name,
                                             int value);
/** Pointer to DCardGetStringReg(). */
typedef int(DCARD_CALL* DCardGetStringRegFn)(int handle, int camera, const char* name,
                                             int* value);
/** Pointer to DCardGetRegInfoEx(). */
typedef int(DCARD_CALL* DCardGetRegInfoExFn)(int handle, int index, DCardRegInfo* info);
/** Pointer to DCardGetDecoderType(). */
typedef int(DCARD_CALL* DCardGetDecoderTypeFn)(int handle, int* type);
/** Pointer to DCardOverlay(). */
typedef int(DCARD_CALL* DCardOverlayFn)(int handle, int camera, const RECT* rect);
/** Pointer to DCardOverlayEx(). */
typedef int(DCARD_CALL* DCardOverlayExFn)(int handle, int camera, int v1, int v2, int v3,
                                          int v4, int v5, int v6, int v7, int v8);
/** Pointer to DCardGetParamEx(). */
typedef int(DCARD_CALL* DCardGetParamExFn)(int handle, DCardParam* record);
/** Pointer to DCardSetDriverParam(). */
typedef int(DCARD_CALL* DCardSetDriverParamFn)(int handle, int camera, int param, int value);
/** Pointer to DCardGetDriverParam(). */
typedef int(DCARD_CALL* DCardGetDriverParamFn)(int handle, int camera, int param, int* value);
/** Pointer to DCardGetMemoryConfig(). */
typedef int(DCARD_CALL* DCardGetMemoryConfigFn)(int handle, DCardMemoryConfig* config);
/** Pointer to DCardSetMemoryConfig(). */
typedef int(DCARD_CALL* DCardSetMemoryConfigFn)(int handle, const DCardMemoryConfig* config);
/** Pointer to DCardOutput(). */
typedef int(DCARD_CALL* DCardOutputFn)(int handle, int mode, int param1, int param2,
                                       int param3, const void* data, uint32_t length);
/** Pointer to DCardMask(). */
typedef int(DCARD_CALL* DCardMaskFn)(int handle, int maskSwitch, int width, int height,
                                     const void* bits, uint32_t size);
/** Pointer to DCardI2CTransmit(). */
typedef int(DCARD_CALL* DCardI2CTransmitFn)(int handle, int speed, int address,
                                            int subAddress, const void* data, int count);
/** Pointer to DCardI2CReceive(). */
typedef int(DCARD_CALL* DCardI2CReceiveFn)(int handle, int speed, int address, int subAddress,
                                           void* buffer, int count);
/** Pointer to DCardI2CCommand(). */
typedef int(DCARD_CALL* DCardI2CCommandFn)(int handle, int speed, uint32_t* words, int count);
/**
 * Pointer to DCardGetCameraRecord, reached only through DCardGetFunctions():
 * the record of a camera input, mainly its name.
 * Its arguments: the handle; the camera, from 0; the record (in: its size
 * word; out: its first min(size, 40) bytes as the driver filled them in).
 * It returns 1; 0 when the handle names no open card, the record is null, or
 * the driver refused (the record then left alone). It holds the card's lock.
 * In test mode it succeeds and leaves the record as it was.
 */
typedef int(DCARD_CALL* DCardGetCameraRecordFn)(int handle, int camera,
                                                DCardCameraRecord* record);
/** Pointer to DCardVirt2Phys(). */
typedef int(DCARD_CALL* DCardVirt2PhysFn)(int handle, void* address, uint32_t* physical);
/** Pointer to DCardSetOutputs(). */
typedef int(DCARD_CALL* DCardSetOutputsFn)(int handle, int outputs);
/** Pointer to DCardGetInputs(). */
typedef int(DCARD_CALL* DCardGetInputsFn)(int handle, int* inputs);
/** Pointer to DCardGetI2CSpeeds(). */
typedef const int*(DCARD_CALL* DCardGetI2CSpeedsFn)(int handle);
/** Pointer to DCardWindowsMask(). */
typedef int(DCARD_CALL* DCardWindowsMaskFn)(int handle, HWND window, const RECT* rect);
/** Pointer to DCardWindowsMaskEx(). */
typedef int(DCARD_CALL* DCardWindowsMaskExFn)(int handle, HWND window, const RECT* rect,
                                              const void* initialMask);

/** The whole interface as one table (DCardGetFunctions()). An entry is null
 * while the library lacks that function. DCardGetParam(), DCardGetRegInfo()
 * and DCardSaveDigBMP() are not in it: take them by name. */
typedef struct DCardFunctions {
    uint32_t size; /**< bytes provided by the caller; left unchanged */
    DCardInitFn DCardInit; /**< DCardInit() */
    DCardExitFn DCardExit; /**< DCardExit() */
    DCardGetModeFn DCardGetMode; /**< DCardGetMode() */
    DCardSetCameraSignalFn DCardSetCameraSignal; /**< DCardSetCameraSignal() */
    DCardDigitFn DCardDigit; /**< DCardDigit() */
    DCardDigitExFn DCardDigitEx; /**< DCardDigitEx() */
    DCardSetRegFn DCardSetReg; /**< DCardSetReg() */
    DCardGetRegFn DCardGetReg; /**< DCardGetReg() */
    DCardSetStringRegFn DCardSetStringReg; /**< DCardSetStringReg() */
    DCardGetStringRegFn DCardGetStringReg; /**< DCardGetStringReg() */
    DCardGetRegInfoExFn DCardGetRegInfoEx; /**< DCardGetRegInfoEx() */
    DCardGetDecoderTypeFn DCardGetDecoderType; /**< DCardGetDecoderType() */
    DCardOverlayFn DCardOverlay; /**< DCardOverlay() */
    DCardOverlayExFn DCardOverlayEx; /**< DCardOverlayEx() */
    DCardGetParamExFn DCardGetParamEx; /**< DCardGetParamEx() */
    DCardSetDriverParamFn DCardSetDriverParam; /**< DCardSetDriverParam() */
    DCardGetDriverParamFn DCardGetDriverParam; /**< DCardGetDriverParam() */
    DCardGetMemoryConfigFn DCardGetMemoryConfig; /**< DCardGetMemoryConfig() */
    DCardSetMemoryConfigFn DCardSetMemoryConfig; /**< DCardSetMemoryConfig() */
    DCardOutputFn DCardOutput; /**< DCardOutput() */
    DCardMaskFn DCardMask; /**< DCardMask() */
    DCardI2CTransmitFn DCardI2CTransmit; /**< DCardI2CTransmit() */
    DCardI2CReceiveFn DCardI2CReceive; /**< DCardI2CReceive() */
    DCardI2CCommandFn DCardI2CCommand; /**< DCardI2CCommand() */
    DCardGetCameraRecordFn DCardGetCameraRecord; /**< DCardGetCameraRecord */
    DCardVirt2PhysFn DCardVirt2Phys; /**< DCardVirt2Phys() */
    DCardSetOutputsFn DCardSetOutputs; /**< DCardSetOutputs() */
    DCardGetInputsFn DCardGetInputs; /**< DCardGetInputs() */
    DCardGetI2CSpeedsFn DCardGetI2CSpeeds; /**< DCardGetI2CSpeeds() */
    DCardWindowsMaskFn DCardWindowsMask; /**< DCardWindowsMask() */
    DCardWindowsMaskExFn DCardWindowsMaskEx; /**< DCardWindowsMaskEx() */
} DCardFunctions;

#pragma pack(pop)

/**
 * @name Opening and closing cards
 * @{
 */

/**
 * Opens a card: its device, the mapping of its frame memory, its identity,
 * register defaults, memory configuration and board id, then one empty frame
 * on each of the first two cameras so that digitizing starts from a known
 * state. Reads `DisplayDialog`, `Debug` (test mode, with its `CamPath`,
 * `CamFormat` and `CamCounterStart` keys) and `Log` from SAA7146.INI first.
 *
 * @param cardNumber the card, 0..9.
 * @return the card's handle, `cardNumber + 1`; 0 when the number is out of
 *         range, the card is already open in this process, no device answers
 *         for it (no driver, no such card; the system's last error is the
 *         device's), or the driver refused any step of the sequence. A failed
 *         open leaves the card closed (its device is closed again).
 * @par Locking
 *         Holds the card table's lock for the whole call: other opens,
 *         closes and parameter records wait; other cards' operations do not.
 * @par Test mode
 *         (`Debug=1`) Only card 0 opens, without a driver; a message box says
 *         so unless `DisplayDialog=0`. The decoder reads as type 2 and the
 *         frame memory as 0x480000 bytes, none of it mapped.
 */
DCARD_API int DCARD_CALL DCardInit(int cardNumber);

/**
 * Closes a card: unmaps its frame memory and closes its device.
 *
 * @param handle a handle from DCardInit().
 * @return 1 when the handle named an open card (now closed); 0 when it names
 *         none, which changes nothing.
 * @par Locking
 *         Holds the card table's lock, and waits for the card's own lock, so
 *         an operation under way on the card (a frame being digitized)
 *         finishes first.
 */
DCARD_API int DCARD_CALL DCardExit(int handle);

/**
 * DCardGetParamEx() of the card with handle 1 (card 0).
 *
 * @param record as for DCardGetParamEx().
 * @return as DCardGetParamEx() returns for handle 1.
 */
DCARD_API int DCARD_CALL DCardGetParam(DCardParam* record);

/**
 * The card's parameter record: where its frame memory is mapped and how
 * large it is.
 *
 * @param handle a handle from DCardInit().
 * @param record in: its size word, the bytes provided; out: the record's
 *        first min(size, 22) bytes, and the size word set to that count.
 * @return 1; 0 when the handle names no open card or record is null, and the
 *         record is left alone.
 * @par Locking
 *         Holds the card table's lock; reads the mapping under a lock of its
 *         own, without waiting for a frame being digitized on the card.
 * @par Test mode
 *         frameMemory is 0 and frameMemorySize 0x480000.
 */
DCARD_API int DCARD_CALL DCardGetParamEx(int handle, DCardParam* record);

/**
 * The type of the card's video decoder: 2 SAA7110, 3 KS0127B, as the driver
 * reported it when the card was opened.
 *
 * @param handle a handle from DCardInit().
 * @param type receives the type.
 * @return 1; 0 when the handle names no open card or type is null (nothing
 *         written).
 * @par Locking
 *         None beyond the handle lookup; the type is fixed while the card is open.
 * @par Test mode
 *         Always 2.
 */
DCARD_API int DCARD_CALL DCardGetDecoderType(int handle, int* type);

/**
 * Fills in the table of every card function (DCardFunctions), for programs
 * that load the library at run time; DCardGetCameraRecord is reached only
 * this way.
 *
 * @param table in: its size word, the bytes provided (4 to 65536); out: its
 *        first min(size, 128) bytes filled with the entries, the rest of the
 *        bytes provided cleared, and the size word as it was.
 * @return 1; 0 when table is null or its size word is below 4 or above 65536,
 *         and the table is left alone.
 * @par Locking
 *         None; needs no open card.
 */
DCARD_API int DCARD_CALL DCardGetFunctions(DCardFunctions* table);

/** @} */

/**
 * @name Digitizing
 * A frame is packed: width x height x bytes per pixel, no filler at line
 * ends, the top line first unless flip asks for the bottom line first.
 * @{
 */

/**
 * One of the 28 frame modes (0..27): seven sizes, each as 8-bit grey, RGB
 * 5-5-5, RGB 24 and YUV 4:2:2.
 *
 * @param handle a handle from DCardInit().
 * @param mode 0..27.
 * @param record in: its size word, the bytes provided; out: the mode's first
 *        min(size, 28) bytes, and the size word set to that count.
 * @return 1; 0 when the handle names no open card, the mode is out of range
 *         or record is null, and the record is left alone.
 * @par Locking
 *         None beyond the handle lookup: the table is constant.
 */
DCARD_API int DCARD_CALL DCardGetMode(int handle, int mode, DCardFrameMode* record);

/**
 * Digitizes one frame of a mode from a camera into the caller's buffer.
 *
 * @param handle a handle from DCardInit().
 * @param camera the camera input, from 0.
 * @param mode 0..27 (DCardGetMode()).
 * @param buffer where the frame goes; null digitizes a frame that is not
 *        delivered.
 * @param bufferLength bytes at buffer; at least the mode's frameBytes.
 * @param bytesOut receives the bytes delivered: frameBytes, or 0 without a
 *        buffer.
 * @param flip non-zero: the bottom line first.
 * @return 1; 0 when the handle names no open card, the mode is out of range,
 *         bytesOut is null, the buffer or the frame memory is smaller than the
 *         frame, the frame at the capture offset would reach past the frame
 *         memory, a second camera of a board of type 0x200 is asked for a mode
 *         that is not 24 bits, the frame memory cannot be mapped, or the
 *         driver refused the frame. The checks come before anything is sent:
 *         their failures leave *bytesOut and the buffer alone. A refusal by
 *         the driver leaves *bytesOut 0 and the buffer as the driver left it
 *         (the older driver family writes into the buffer itself).
 * @par Locking
 *         Holds the card's lock for the whole call, the wait for the frame
 *         included: other calls on the card wait; other cards run.
 * @par Test mode
 *         Takes 60 ms and reads the frame from
 *         `<CamPathN>\<width>_<height>_<bits>[_RGB]\<CamFormatN of the frame number>.raw`
 *         (height negative when flipped); frame numbers start at
 *         `CamCounterStartN` and start over when a file is missing. A missing
 *         or short file leaves the rest of the buffer as it was, and the call
 *         still succeeds.
 */
DCARD_API int DCARD_CALL DCardDigit(int handle, int camera, int mode, void* buffer,
                                    uint32_t bufferLength, uint32_t* bytesOut, int flip);

/**
 * Digitizes one frame of any size and depth into the caller's buffer.
 *
 * @param handle a handle from DCardInit().
 * @param camera the camera input, from 0.
 * @param width pixels per line, 0 or more.
 * @param height lines, 0 or more.
 * @param bitsPerPixel 8, 15, 16, 24 or 32.
 * @param colourType DCARD_COLOUR_GREY, DCARD_COLOUR_RGB or DCARD_COLOUR_YUV422
 *        (with 16 bits).
 * @param buffer where the frame goes; null digitizes a frame that is not
 *        delivered.
 * @param bufferLength bytes at buffer; at least width x height x bytes per pixel.
 * @param bytesOut receives the bytes delivered (0 without a buffer).
 * @param flip non-zero: the bottom line first.
 * @return 1; 0 when the handle names no open card, bytesOut is null, the
 *         depth is not one of those above, a size is negative or the frame
 *         would not fit 32 bits of bytes, the buffer or the frame memory is
 *         smaller than the frame, the frame memory cannot be mapped, or the
 *         driver refused the frame. What a failure leaves is as for
 *         DCardDigit(). The frame is taken from the start of the frame memory.
 * @par Locking
 *         As DCardDigit().
 * @par Test mode
 *         As DCardDigit().
 */
DCARD_API int DCARD_CALL DCardDigitEx(int handle, int camera, int width, int height,
                                      int bitsPerPixel, int colourType, void* buffer,
                                      uint32_t bufferLength, uint32_t* bytesOut, int flip);

/** @} */

/**
 * @name Registers
 * Register descriptors name the fields of the bridge and of the decoder;
 * enumerate them from index 0 until a call returns 0.
 * @{
 */

/**
 * A descriptor of the bridge's registers, the same for every card.
 *
 * @param index 0..9.
 * @param info receives the whole 56-byte descriptor (its size word is not
 *        read).
 * @return 1; 0 when the index is out of range or info is null (nothing
 *         written).
 * @par Locking
 *         Holds the descriptor tables' lock while the row is copied; needs no
 *         open card. Ranges and defaults are those the last opened card read.
 */
DCARD_API int DCARD_CALL DCardGetRegInfo(int index, DCardRegInfo* info);

/**
 * A descriptor of the card's whole view: the bridge's fields, then its
 * decoder's. regNum carries the descriptor's identifier in bits 16-31 (use
 * it as the reg of DCardSetReg() and DCardGetReg()); defValue is the card's
 * power-on value, read when it was opened.
 *
 * @param handle a handle from DCardInit().
 * @param index 0 upwards.
 * @param info receives the whole 56-byte descriptor (its size word is not
 *        read).
 * @return 1; 0 when the handle names no open card, the index is negative or
 *         past the last descriptor, or info is null (nothing written).
 * @par Locking
 *         As DCardGetRegInfo(); takes no card lock.
 */
DCARD_API int DCARD_CALL DCardGetRegInfoEx(int handle, int index, DCardRegInfo* info);

/**
 * Writes a register of a camera: a raw register (reg below 0x10000) whole, or
 * the field of the descriptor whose regNum reg is (read, the field changed,
 * written back). A value outside the field's range is not refused: the
 * field's bits of it are stored.
 *
 * @param handle a handle from DCardInit().
 * @param camera the camera, from 0.
 * @param reg a raw register number, or a descriptor's regNum.
 * @param value the value.
 * @return 1; 0 when the handle names no open card, no descriptor has that
 *         regNum, or the driver refused the read or the write (a field whose
 *         read was refused is not written).
 * @par Locking
 *         Holds the card's lock across the read and the write of a field.
 * @par Test mode
 *         Succeeds and stores nothing.
 */
DCARD_API int DCARD_CALL DCardSetReg(int handle, int camera, int reg, int value);

/**
 * Reads a register of a camera: a raw register (reg below 0x10000) whole, or
 * the field of the descriptor whose regNum reg is (sign-extended when the
 * field is signed).
 *
 * @param handle a handle from DCardInit().
 * @param camera the camera, from 0.
 * @param reg a raw register number, or a descriptor's regNum.
 * @param value receives the value.
 * @return 1; 0 when the handle names no open card, value is null, no
 *         descriptor has that regNum, or the driver refused the read; *value
 *         is then left alone.
 * @par Locking
 *         Holds the card's lock.
 * @par Test mode
 *         Every register reads 0.
 */
DCARD_API int DCARD_CALL DCardGetReg(int handle, int camera, int reg, int* value);

/**
 * DCardSetReg() of the field named name (case matters, as in
 * DCardRegInfo::name).
 *
 * @param handle a handle from DCardInit().
 * @param camera the camera, from 0.
 * @param name a descriptor's name.
 * @param value the value.
 * @return 1; 0 when the handle names no open card, name is null or names no
 *         descriptor of the card, or the driver refused (as DCardSetReg()).
 * @par Locking
 *         As DCardSetReg().
 * @par Test mode
 *         As DCardSetReg().
 */
DCARD_API int DCARD_CALL DCardSetStringReg(int handle, int camera, const char* name, int value);

/**
 * DCardGetReg() of the field named name.
 *
 * @param handle a handle from DCardInit().
 * @param camera the camera, from 0.
 * @param name a descriptor's name.
 * @param value receives the value.
 * @return 1; 0 when the handle names no open card, name or value is null,
 *         name names no descriptor of the card, or the driver refused.
 * @par Locking
 *         As DCardGetReg().
 * @par Test mode
 *         As DCardGetReg().
 */
DCARD_API int DCARD_CALL DCardGetStringReg(int handle, int camera, const char* name, int* value);

/** @} */

/**
 * @name The I2C bus
 * Speeds are in kHz, rounded down to a listed speed (DCardGetI2CSpeeds());
 * addresses are 8-bit (bit 0 selects reading) and, like sub-addresses, the
 * low 8 bits of the argument. Every call holds the card's lock for the whole
 * transfer.
 * @{
 */

/**
 * Writes count bytes to a device, from sub-address subAddress on.
 *
 * @param handle a handle from DCardInit().
 * @param speed kHz.
 * @param address the device's address.
 * @param subAddress the first sub-address.
 * @param data the bytes (may be null when count is 0).
 * @param count 0..256.
 * @return 1; 0 when the handle names no open card, count is out of range, data
 *         is null with bytes to send, or the driver refused (a device that
 *         does not answer).
 * @par Test mode
 *         Succeeds; nothing is sent.
 */
DCARD_API int DCARD_CALL DCardI2CTransmit(int handle, int speed, int address, int subAddress,
                                          const void* data, int count);

/**
 * Reads count bytes from a device, from sub-address subAddress on.
 *
 * @param handle a handle from DCardInit().
 * @param speed kHz.
 * @param address the device's address.
 * @param subAddress the first sub-address.
 * @param buffer receives the bytes.
 * @param count 0..256.
 * @return 1; 0 when the handle names no open card, count is out of range,
 *         buffer is null, or the driver refused; the buffer is then left
 *         alone.
 * @par Test mode
 *         Succeeds with count zero bytes.
 */
DCARD_API int DCARD_CALL DCardI2CReceive(int handle, int speed, int address, int subAddress,
                                         void* buffer, int count);

/**
 * Runs a command sequence: each word holds a byte in bits 0-7 and an
 * attribute in bits 16-17 (3: a start condition before the byte, which then
 * addresses a device; 1: a stop after it). Bytes read come back in bits 0-7
 * of their words.
 *
 * @param handle a handle from DCardInit().
 * @param speed kHz.
 * @param words the sequence; rewritten with what the driver returns (may be
 *        null when count is 0).
 * @param count up to 256 words; a count below 0 goes to the driver as it is,
 *        with no words.
 * @return 1; 0 when the handle names no open card, count is above 256, or the
 *         driver refused (a device that does not answer). The words come back
 *         as the driver left them whether or not it succeeded.
 * @par Test mode
 *         Succeeds and leaves the words alone.
 */
DCARD_API int DCARD_CALL DCardI2CCommand(int handle, int speed, uint32_t* words, int count);

/**
 * The bus speeds the card supports, in kHz, ascending, ended by 0:
 * 5, 10, 66, 100, 133, 266, 400, 533.
 *
 * @param handle a handle from DCardInit().
 * @return the library's own list (never freed, never changed); null when the
 *         handle names no open card.
 */
DCARD_API const int* DCARD_CALL DCardGetI2CSpeeds(int handle);

/** @} */

/**
 * @name Controls
 * Every call holds the card's lock for the whole request.
 * @{
 */

/**
 * The signal standard of a camera input.
 *
 * @param handle a handle from DCardInit().
 * @param camera the camera, from 0.
 * @param signalType 0 black and white 60 Hz, 1 black and white 50 Hz, 2 NTSC,
 *        3 PAL, 4 SECAM.
 * @return 1; 0 when the handle names no open card or the driver refused.
 * @par Test mode
 *         Succeeds; nothing is sent.
 */
DCARD_API int DCARD_CALL DCardSetCameraSignal(int handle, int camera, int signalType);

/**
 * Sets a parameter the driver keeps for a camera.
 *
 * @param handle a handle from DCardInit().
 * @param camera the camera, from 0.
 * @param param the parameter's number.
 * @param value its value.
 * @return 1; 0 when the handle names no open card or the driver refused.
 * @par Test mode
 *         Succeeds; nothing is kept.
 */
DCARD_API int DCARD_CALL DCardSetDriverParam(int handle, int camera, int param, int value);

/**
 * Reads a parameter the driver keeps for a camera (parameter 20 of camera 0
 * is the board id).
 *
 * @param handle a handle from DCardInit().
 * @param camera the camera, from 0.
 * @param param the parameter's number.
 * @param value receives the value.
 * @return 1; 0 when the handle names no open card, value is null, or the
 *         driver refused (*value left alone).
 * @par Test mode
 *         Succeeds with 0 (and with value null).
 */
DCARD_API int DCARD_CALL DCardGetDriverParam(int handle, int camera, int param, int* value);

/**
 * The card's memory configuration: where in the frame memory frames, masks
 * and output data go, and the board's type. Also becomes the library's copy,
 * which digitizing, masks and output data use.
 *
 * @param handle a handle from DCardInit().
 * @param config in: its size word; out: its first min(size, 24) bytes (the
 *        size word then reads 24).
 * @return 1; 0 when the handle names no open card, config is null, or the
 *         driver refused (the record and the library's copy left alone).
 * @par Test mode
 *         Offsets 0, board type 0x101, extra information 2.
 */
DCARD_API int DCARD_CALL DCardGetMemoryConfig(int handle, DCardMemoryConfig* config);

/**
 * Sets the three offsets of the memory configuration (boardType and
 * extraInfo are not sent).
 *
 * @param handle a handle from DCardInit().
 * @param config the first min(size, 24) bytes are read; the rest count as 0.
 * @return 1; 0 when the handle names no open card, config is null, or the
 *         driver refused (an offset past the frame memory). The library keeps
 *         the caller's configuration as its copy even when the driver refused it.
 * @par Test mode
 *         Succeeds; only the library's copy changes.
 */
DCARD_API int DCARD_CALL DCardSetMemoryConfig(int handle, const DCardMemoryConfig* config);

/**
 * Sends output data to the card. The newer driver family takes the data from
 * the frame memory: it is copied there first, at the output offset.
 *
 * @param handle a handle from DCardInit().
 * @param mode 0 stops the output (the other arguments are not sent).
 * @param param1 passed on to the driver as it is.
 * @param param2 passed on to the driver as it is.
 * @param param3 passed on to the driver as it is.
 * @param data the bytes, or null.
 * @param length bytes at data.
 * @return 1; 0 when the handle names no open card, the frame memory is not
 *         mapped or the data would reach past it (nothing copied, nothing
 *         sent), or the driver refused (the data stays in the frame memory).
 * @par Test mode
 *         Succeeds; nothing is copied or sent.
 */
DCARD_API int DCARD_CALL DCardOutput(int handle, int mode, int param1, int param2, int param3,
                                     const void* data, uint32_t length);

/**
 * Sets the port expander's four outputs (boards whose id is 0x300..0x304; the
 * expander is at I2C address 0x70, or 0x40 when it did not answer there when
 * the card was opened).
 *
 * @param handle a handle from DCardInit().
 * @param outputs bits 0-3; the higher bits are ignored.
 * @return 1; 0 when the handle names no open card or the expander did not
 *         answer.
 * @par Test mode
 *         Succeeds; nothing is sent.
 */
DCARD_API int DCARD_CALL DCardSetOutputs(int handle, int outputs);

/**
 * Reads the port expander's four inputs.
 *
 * @param handle a handle from DCardInit().
 * @param inputs receives a value 0..15.
 * @return 1; 0 when the handle names no open card, inputs is null, or the
 *         expander did not answer (*inputs is then 0).
 * @par Test mode
 *         Succeeds with 0.
 */
DCARD_API int DCARD_CALL DCardGetInputs(int handle, int* inputs);
/* DCardGetCameraRecord is not exported by name: take it from DCardGetFunctions. */

/** @} */

/**
 * @name The overlay and its clipping masks
 * @{
 */

/**
 * Shows a camera's live picture on the display: the card writes it straight
 * into the display's frame buffer, in a screen rectangle. The display's mode
 * (from the display settings, refined by DirectDraw's primary surface, cached
 * per mode) goes with the request.
 *
 * @param handle a handle from DCardInit().
 * @param camera the camera, from 0; negative switches the overlay off. A
 *        board of type 0x200 has one overlay: whichever camera is asked for,
 *        the request names camera 0.
 * @param rect the rectangle in screen pixels, or null for none.
 * @return 1; 0 when the handle names no open card, the display settings
 *         cannot be read (nothing sent), or the driver refused.
 * @par Locking
 *         Holds the card's lock; the display-mode cache has a small lock of
 *         its own.
 * @par Test mode
 *         The display is read as always; nothing is sent, and the call
 *         succeeds unless the display settings cannot be read.
 */
DCARD_API int DCARD_CALL DCardOverlay(int handle, int camera, const RECT* rect);

/**
 * The overlay request with eight values of the caller's, passed on as they
 * are.
 *
 * @param handle a handle from DCardInit().
 * @param camera the camera, from 0; negative switches the overlay off and
 *        sends v1..v6 as 0.
 * @param v1 passed on as it is.
 * @param v2 passed on as it is.
 * @param v3 passed on as it is.
 * @param v4 passed on as it is.
 * @param v5 passed on as it is.
 * @param v6 passed on as it is.
 * @param v7 passed on as it is.
 * @param v8 passed on as it is.
 * @return 1; 0 when the handle names no open card or the driver refused.
 * @par Locking
 *         Holds the card's lock.
 * @par Test mode
 *         Succeeds; nothing is sent.
 */
DCARD_API int DCARD_CALL DCardOverlayEx(int handle, int camera, int v1, int v2, int v3, int v4,
                                        int v5, int v6, int v7, int v8);

/**
 * Hands the driver a clipping mask of the caller's: one bit per pixel of the
 * video rectangle, rows of whole 32-bit words ((width + 31) / 32 * 4 bytes),
 * the top row first, the leftmost pixel in the top bit of each byte; 1 shows
 * video, 0 keeps it off. The newer driver family reads it from the frame
 * memory, where it is copied first, at the mask offset.
 *
 * @param handle a handle from DCardInit().
 * @param maskSwitch 0: no mask (the other arguments are not sent).
 * @param width the mask's width in pixels.
 * @param height its height in rows.
 * @param bits the mask, or null.
 * @param size its bytes.
 * @return 1; 0 when the handle names no open card, the frame memory is not
 *         mapped or the mask would reach past it (nothing copied, nothing
 *         sent), or the driver refused.
 * @par Locking
 *         Holds the card's lock.
 * @par Test mode
 *         Succeeds; nothing is copied or sent.
 */
DCARD_API int DCARD_CALL DCardMask(int handle, int maskSwitch, int width, int height,
                                   const void* bits, uint32_t size);

/**
 * DCardWindowsMaskEx() without an initial mask.
 *
 * @param handle a handle from DCardInit().
 * @param window the video window.
 * @param rect as for DCardWindowsMaskEx().
 * @return as DCardWindowsMaskEx().
 */
DCARD_API int DCARD_CALL DCardWindowsMask(int handle, HWND window, const RECT* rect);

/**
 * Computes the clipping mask of a video rectangle from the windows above the
 * video window's top-level window that cover it (at most 200), sends it as
 * DCardMask() does, and repaints the covering windows when their list changed
 * since the card's last mask.
 *
 * @param handle a handle from DCardInit().
 * @param window the video window.
 * @param rect the video rectangle in screen pixels; null: the window's client
 *        area. At most 769 x 576 pixels.
 * @param initialMask the mask to start from (DCardMask()'s format), or null
 *        for all video.
 * @return 1; 0 when the handle names no open card, the client area cannot be
 *         read, the rectangle is inverted or larger than 769 x 576, or the
 *         mask cannot be sent (as DCardMask()); the covering windows are then
 *         not repainted.
 * @par Locking
 *         Holds the card's lock while the mask is built and sent, and repaints
 *         after releasing it: a covering window of another thread that waits
 *         for this card can paint.
 * @par Test mode
 *         Succeeds; nothing is computed or sent.
 */
DCARD_API int DCARD_CALL DCardWindowsMaskEx(int handle, HWND window, const RECT* rect,
                                            const void* initialMask);

/**
 * The physical address of user memory, as the driver finds it (for callers
 * that drive the overlay themselves): driver parameter 4 of camera 0 is
 * cleared, the driver translates the memory where it lies, and the parameter
 * is read back.
 *
 * @param handle a handle from DCardInit().
 * @param address the memory: at least 4 bytes that the driver may write.
 * @param physical receives the physical address.
 * @return 1 when the address is not 0; 0 when the handle names no open card,
 *         address or physical is null, the card uses the older driver family
 *         (which does not translate), the driver refused a step, or the
 *         address found is 0 (*physical then holds 0).
 * @par Locking
 *         Holds the card's lock across the three steps, so that no other
 *         thread's translation comes between them.
 * @par Test mode
 *         Fails: there is no driver to translate.
 */
DCARD_API int DCARD_CALL DCardVirt2Phys(int handle, void* address, uint32_t* physical);

/** @} */

/**
 * @name Bitmaps
 * @{
 */

/**
 * Digitizes one frame (DCardDigitEx(), bottom-up) and writes it as a BMP
 * file: 8 bits as grey with a grey palette, 15 and 16 bits as RGB 5-5-5, 24
 * bits as RGB.
 *
 * @param handle a handle from DCardInit().
 * @param camera the camera, from 0.
 * @param width pixels per line.
 * @param height lines.
 * @param bitsPerPixel 8, 15, 16 or 24.
 * @param path the file, replaced when it exists.
 * @return 1; 0 when path is null, the depth is not one of those above, a
 *         size is negative or the bitmap would not fit 32 bits of bytes
 *         (nothing digitized), the frame cannot be
 *         digitized (as DCardDigitEx(); no file touched), or the file cannot
 *         be created or written (an existing file may be left truncated or
 *         part written).
 * @par Locking
 *         Holds the card's lock while the frame is digitized, and the bitmap
 *         lock of the process (not the card's) while the bitmap is made and
 *         written.
 * @par Test mode
 *         The frame comes from a raw file, as for DCardDigit(), named with
 *         the negative height of a bottom-up frame.
 */
DCARD_API int DCARD_CALL DCardSaveDigBMP(int handle, int camera, int width, int height,
                                         int bitsPerPixel, const char* path);

/** @} */

#ifdef __cplusplus
}
#endif

/* The layouts are part of the interface: a change here breaks callers. */
DCARD_STATIC_ASSERT(sizeof(DCardParam) == 22, "DCardParam is 22 bytes");
DCARD_STATIC_ASSERT(offsetof(DCardParam, version) == 16, "DCardParam.version at 16");
DCARD_STATIC_ASSERT(offsetof(DCardParam, mapInfo3) == 18, "DCardParam.mapInfo3 at 18");
DCARD_STATIC_ASSERT(sizeof(DCardFrameMode) == 28, "DCardFrameMode is 28 bytes");
DCARD_STATIC_ASSERT(offsetof(DCardFrameMode, frameBytes) == 24, "frameBytes at 24");
DCARD_STATIC_ASSERT(sizeof(DCardMemoryConfig) == 24, "DCardMemoryConfig is 24 bytes");
DCARD_STATIC_ASSERT(offsetof(DCardMemoryConfig, boardType) == 16, "boardType at 16");
DCARD_STATIC_ASSERT(sizeof(DCardCameraRecord) == 40, "DCardCameraRecord is 40 bytes");
DCARD_STATIC_ASSERT(offsetof(DCardCameraRecord, name) == 8, "camera name at 8");
#if UINTPTR_MAX == 0xFFFFFFFFu
/* The product: 32-bit x86. */
DCARD_STATIC_ASSERT(sizeof(void*) == 4, "the 32-bit card interface");
DCARD_STATIC_ASSERT(sizeof(DCardRegInfo) == 56, "DCardRegInfo is 56 bytes");
DCARD_STATIC_ASSERT(offsetof(DCardRegInfo, regNum) == 12, "regNum at 12");
DCARD_STATIC_ASSERT(offsetof(DCardRegInfo, unit) == 40, "unit at 40");
DCARD_STATIC_ASSERT(offsetof(DCardRegInfo, scale) == 44, "scale at 44");
DCARD_STATIC_ASSERT(offsetof(DCardRegInfo, isBoolean) == 52, "isBoolean at 52");
DCARD_STATIC_ASSERT(sizeof(DCardFunctions) == 128, "DCardFunctions is 128 bytes");
DCARD_STATIC_ASSERT(offsetof(DCardFunctions, DCardGetCameraRecord) == 100,
                    "DCardGetCameraRecord entry at 100");
DCARD_STATIC_ASSERT(offsetof(DCardFunctions, DCardWindowsMaskEx) == 124,
                    "DCardWindowsMaskEx entry at 124");
#else
/* The 64-bit test vehicle: the same fields, pointers naturally aligned. */
DCARD_STATIC_ASSERT(sizeof(void*) == 8, "the 64-bit card interface");
DCARD_STATIC_ASSERT(sizeof(DCardRegInfo) == 80, "DCardRegInfo is 80 bytes");
DCARD_STATIC_ASSERT(offsetof(DCardRegInfo, regNum) == 24, "regNum at 24");
DCARD_STATIC_ASSERT(offsetof(DCardRegInfo, unit) == 56, "unit at 56");
DCARD_STATIC_ASSERT(offsetof(DCardRegInfo, scale) == 64, "scale at 64");
DCARD_STATIC_ASSERT(offsetof(DCardRegInfo, isBoolean) == 72, "isBoolean at 72");
DCARD_STATIC_ASSERT(sizeof(DCardFunctions) == 256, "DCardFunctions is 256 bytes");
DCARD_STATIC_ASSERT(offsetof(DCardFunctions, DCardGetCameraRecord) == 200,
                    "DCardGetCameraRecord entry at 200");
DCARD_STATIC_ASSERT(offsetof(DCardFunctions, DCardWindowsMaskEx) == 248,
                    "DCardWindowsMaskEx entry at 248");
#endif

#endif
