/*
 * SAA7146 frame-grabber card library: the card interface.
 *
 * Open a card by number with DCardInit (0..9); it returns a card handle
 * (1..10) that every other call takes first; close it with DCardExit.
 * Every function returns non-zero for success and 0 for failure.
 *
 * Records that a caller hands in begin with a 32-bit size word holding the
 * number of bytes the caller provides; the library never writes past it.
 *
 * Usable from C and C++, with MSVC or mingw on 32-bit Windows, and with gcc
 * on 32-bit x86 Linux. All functions use the standard calling convention.
 * Define SAA7146_STATIC when linking the library's objects directly rather
 * than through SAA7146.dll.
 */
#ifndef SAA7146_DCARD_H
#define SAA7146_DCARD_H

#include <stddef.h>
#include <stdint.h>

#include "wintypes.h"

#if defined(_WIN32)
#define DCARD_CALL __stdcall
#elif defined(__i386__)
#define DCARD_CALL __attribute__((stdcall))
#else
#define DCARD_CALL
#endif

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

#ifdef __cplusplus
extern "C" {
#endif

/* Every record of this interface is laid out on 4-byte boundaries, so that a
 * double inside a record sits where a 32-bit compiler with 4-byte packing
 * puts it, whatever the compiler's default. */
#pragma pack(push, 4)

/* Colour types of a frame. */
enum {
    DCARD_COLOUR_GREY = 0,
    DCARD_COLOUR_RGB = 1,
    DCARD_COLOUR_YUV422 = 2
};

/* Parameter record of DCardGetParamEx: 22 bytes, no alignment gaps. */
#pragma pack(push, 1)
typedef struct DCardParam {
    uint32_t size;            /* in: bytes provided; out: bytes written */
    uint32_t mapInfo0;        /* first word of the driver's mapping reply */
    uint32_t frameMemory;     /* address of the mapped frame memory, 0 if none */
    uint32_t frameMemorySize; /* size of the frame memory in bytes */
    uint16_t version;         /* 0x0101 */
    uint32_t mapInfo3;        /* fourth word of the driver's mapping reply */
} DCardParam;
#pragma pack(pop)

/* One of the 28 frame modes (DCardGetMode). */
typedef struct DCardFrameMode {
    int32_t size;
    int32_t mode;
    int32_t width;
    int32_t height;
    int32_t colourType;
    int32_t bitsPerPixel;
    int32_t frameBytes;
} DCardFrameMode;

/* A register descriptor (DCardGetRegInfo, DCardGetRegInfoEx). */
typedef struct DCardRegInfo {
    uint32_t size;
    const char* name;
    const char* label;
    uint32_t regNum;  /* bits 16-31: descriptor identifier; bits 0-15: register */
    int32_t shift;
    int32_t width;
    int32_t isSigned;
    int32_t defValue;
    int32_t minValue;
    int32_t maxValue;
    const char* unit;
    double scale;
    int32_t isBoolean;
} DCardRegInfo;

/* The card's memory configuration (DCardGetMemoryConfig, DCardSetMemoryConfig). */
typedef struct DCardMemoryConfig {
    uint32_t size;
    uint32_t captureOffset;
    uint32_t maskOffset;
    uint32_t outputOffset;
    uint32_t boardType;
    uint32_t extraInfo;
} DCardMemoryConfig;

/* A camera input's record, mainly its display name. */
typedef struct DCardCameraRecord {
    uint32_t size;
    uint32_t info;
    char name[32];
} DCardCameraRecord;

typedef int(DCARD_CALL* DCardInitFn)(int cardNumber);
typedef int(DCARD_CALL* DCardExitFn)(int handle);
typedef int(DCARD_CALL* DCardGetModeFn)(int handle, int mode, DCardFrameMode* record);
typedef int(DCARD_CALL* DCardSetCameraSignalFn)(int handle, int camera, int signalType);
typedef int(DCARD_CALL* DCardDigitFn)(int handle, int camera, int mode, void* buffer,
                                      uint32_t bufferLength, uint32_t* bytesOut, int flip);
typedef int(DCARD_CALL* DCardDigitExFn)(int handle, int camera, int width, int height,
                                        int bitsPerPixel, int colourType, void* buffer,
                                        uint32_t bufferLength, uint32_t* bytesOut, int flip);
typedef int(DCARD_CALL* DCardSetRegFn)(int handle, int camera, int reg, int value);
typedef int(DCARD_CALL* DCardGetRegFn)(int handle, int camera, int reg, int* value);
typedef int(DCARD_CALL* DCardSetStringRegFn)(int handle, int camera, const char* name,
                                             int value);
typedef int(DCARD_CALL* DCardGetStringRegFn)(int handle, int camera, const char* name,
                                             int* value);
typedef int(DCARD_CALL* DCardGetRegInfoExFn)(int handle, int index, DCardRegInfo* info);
typedef int(DCARD_CALL* DCardGetDecoderTypeFn)(int handle, int* type);
typedef int(DCARD_CALL* DCardOverlayFn)(int handle, int camera, const RECT* rect);
typedef int(DCARD_CALL* DCardOverlayExFn)(int handle, int camera, int v1, int v2, int v3,
                                          int v4, int v5, int v6, int v7, int v8);
typedef int(DCARD_CALL* DCardGetParamExFn)(int handle, DCardParam* record);
typedef int(DCARD_CALL* DCardSetDriverParamFn)(int handle, int camera, int param, int value);
typedef int(DCARD_CALL* DCardGetDriverParamFn)(int handle, int camera, int param, int* value);
typedef int(DCARD_CALL* DCardGetMemoryConfigFn)(int handle, DCardMemoryConfig* config);
typedef int(DCARD_CALL* DCardSetMemoryConfigFn)(int handle, const DCardMemoryConfig* config);
typedef int(DCARD_CALL* DCardOutputFn)(int handle, int mode, int param1, int param2,
                                       int param3, const void* data, uint32_t length);
typedef int(DCARD_CALL* DCardMaskFn)(int handle, int maskSwitch, int width, int height,
                                     const void* bits, uint32_t size);
typedef int(DCARD_CALL* DCardI2CTransmitFn)(int handle, int speed, int address,
                                            int subAddress, const void* data, int count);
typedef int(DCARD_CALL* DCardI2CReceiveFn)(int handle, int speed, int address, int subAddress,
                                           void* buffer, int count);
typedef int(DCARD_CALL* DCardI2CCommandFn)(int handle, int speed, uint32_t* words, int count);
typedef int(DCARD_CALL* DCardGetCameraRecordFn)(int handle, int camera,
                                                DCardCameraRecord* record);
typedef int(DCARD_CALL* DCardVirt2PhysFn)(int handle, void* address, uint32_t* physical);
typedef int(DCARD_CALL* DCardSetOutputsFn)(int handle, int outputs);
typedef int(DCARD_CALL* DCardGetInputsFn)(int handle, int* inputs);
typedef const int*(DCARD_CALL* DCardGetI2CSpeedsFn)(int handle);
typedef int(DCARD_CALL* DCardWindowsMaskFn)(int handle, HWND window, const RECT* rect);
typedef int(DCARD_CALL* DCardWindowsMaskExFn)(int handle, HWND window, const RECT* rect,
                                              const void* initialMask);

/* The whole interface as one table (DCardGetFunctions). An entry is null
 * while the library lacks that function. */
typedef struct DCardFunctions {
    uint32_t size; /* bytes provided by the caller; left unchanged */
    DCardInitFn DCardInit;
    DCardExitFn DCardExit;
    DCardGetModeFn DCardGetMode;
    DCardSetCameraSignalFn DCardSetCameraSignal;
    DCardDigitFn DCardDigit;
    DCardDigitExFn DCardDigitEx;
    DCardSetRegFn DCardSetReg;
    DCardGetRegFn DCardGetReg;
    DCardSetStringRegFn DCardSetStringReg;
    DCardGetStringRegFn DCardGetStringReg;
    DCardGetRegInfoExFn DCardGetRegInfoEx;
    DCardGetDecoderTypeFn DCardGetDecoderType;
    DCardOverlayFn DCardOverlay;
    DCardOverlayExFn DCardOverlayEx;
    DCardGetParamExFn DCardGetParamEx;
    DCardSetDriverParamFn DCardSetDriverParam;
    DCardGetDriverParamFn DCardGetDriverParam;
    DCardGetMemoryConfigFn DCardGetMemoryConfig;
    DCardSetMemoryConfigFn DCardSetMemoryConfig;
    DCardOutputFn DCardOutput;
    DCardMaskFn DCardMask;
    DCardI2CTransmitFn DCardI2CTransmit;
    DCardI2CReceiveFn DCardI2CReceive;
    DCardI2CCommandFn DCardI2CCommand;
    DCardGetCameraRecordFn DCardGetCameraRecord;
    DCardVirt2PhysFn DCardVirt2Phys;
    DCardSetOutputsFn DCardSetOutputs;
    DCardGetInputsFn DCardGetInputs;
    DCardGetI2CSpeedsFn DCardGetI2CSpeeds;
    DCardWindowsMaskFn DCardWindowsMask;
    DCardWindowsMaskExFn DCardWindowsMaskEx;
} DCardFunctions;

#pragma pack(pop)

/* Card frame. */
DCARD_API int DCARD_CALL DCardInit(int cardNumber);
DCARD_API int DCARD_CALL DCardExit(int handle);
DCARD_API int DCARD_CALL DCardGetParam(DCardParam* record);
DCARD_API int DCARD_CALL DCardGetParamEx(int handle, DCardParam* record);
DCARD_API int DCARD_CALL DCardGetDecoderType(int handle, int* type);
DCARD_API int DCARD_CALL DCardGetFunctions(DCardFunctions* table);

/* Digitizing. A frame is packed: width x height x bytes per pixel, no filler
 * at line ends. flip non-zero asks for a bottom-up frame. *bytesOut receives
 * the bytes delivered (0 without a buffer). */
DCARD_API int DCARD_CALL DCardGetMode(int handle, int mode, DCardFrameMode* record);
DCARD_API int DCARD_CALL DCardDigit(int handle, int camera, int mode, void* buffer,
                                    uint32_t bufferLength, uint32_t* bytesOut, int flip);
DCARD_API int DCARD_CALL DCardDigitEx(int handle, int camera, int width, int height,
                                      int bitsPerPixel, int colourType, void* buffer,
                                      uint32_t bufferLength, uint32_t* bytesOut, int flip);

/* Register descriptors: DCardGetRegInfo lists the bridge's (index 0..9),
 * DCardGetRegInfoEx a card's whole view (bridge, then its decoder). Enumerate
 * from index 0 until the result is 0. */
DCARD_API int DCARD_CALL DCardGetRegInfo(int index, DCardRegInfo* info);
DCARD_API int DCARD_CALL DCardGetRegInfoEx(int handle, int index, DCardRegInfo* info);

/* Registers of a camera: reg below 0x10000 is a raw register number; 0x10000
 * or more is the regNum of a descriptor, whose bit field is read or written
 * (read values of signed fields come extended). */
DCARD_API int DCARD_CALL DCardSetReg(int handle, int camera, int reg, int value);
DCARD_API int DCARD_CALL DCardGetReg(int handle, int camera, int reg, int* value);
DCARD_API int DCARD_CALL DCardSetStringReg(int handle, int camera, const char* name, int value);
DCARD_API int DCARD_CALL DCardGetStringReg(int handle, int camera, const char* name, int* value);

/* The I2C bus. Speeds are in kHz (rounded down to a listed speed); address
 * and sub-address are bytes (the low 8 bits of the argument). Transfers carry
 * up to 256 bytes, command sequences up to 256 words: a byte in bits 0-7 and
 * an attribute in bits 16-17 (3: start condition before, 1: stop after); a
 * byte read lands in bits 0-7 of its word. */
DCARD_API int DCARD_CALL DCardI2CTransmit(int handle, int speed, int address, int subAddress,
                                          const void* data, int count);
DCARD_API int DCARD_CALL DCardI2CReceive(int handle, int speed, int address, int subAddress,
                                         void* buffer, int count);
DCARD_API int DCARD_CALL DCardI2CCommand(int handle, int speed, uint32_t* words, int count);
/* The supported speeds, ascending and ended by 0; the library's own list. */
DCARD_API const int* DCARD_CALL DCardGetI2CSpeeds(int handle);

/* Signal standard of a camera input: 0 BW 60Hz, 1 BW 50Hz, 2 NTSC, 3 PAL, 4 SECAM. */
DCARD_API int DCARD_CALL DCardSetCameraSignal(int handle, int camera, int signalType);
DCARD_API int DCARD_CALL DCardSetDriverParam(int handle, int camera, int param, int value);
DCARD_API int DCARD_CALL DCardGetDriverParam(int handle, int camera, int param, int* value);
DCARD_API int DCARD_CALL DCardGetMemoryConfig(int handle, DCardMemoryConfig* config);
DCARD_API int DCARD_CALL DCardSetMemoryConfig(int handle, const DCardMemoryConfig* config);
DCARD_API int DCARD_CALL DCardOutput(int handle, int mode, int param1, int param2, int param3,
                                     const void* data, uint32_t length);
/* The port expander: four outputs (bits 0-3), four inputs (a value 0..15). */
DCARD_API int DCARD_CALL DCardSetOutputs(int handle, int outputs);
DCARD_API int DCARD_CALL DCardGetInputs(int handle, int* inputs);
/* DCardGetCameraRecord is not exported by name: take it from DCardGetFunctions. */

/* The overlay: the card writes a camera's live picture straight into the
 * display's frame buffer, in rect (screen coordinates; null for none). A
 * negative camera switches it off. The display's mode goes with it. */
DCARD_API int DCARD_CALL DCardOverlay(int handle, int camera, const RECT* rect);
/* The overlay request with eight values the library passes on as they are;
 * a negative camera switches the overlay off and sends v1..v6 as 0. */
DCARD_API int DCARD_CALL DCardOverlayEx(int handle, int camera, int v1, int v2, int v3, int v4,
                                        int v5, int v6, int v7, int v8);
/* Clipping masks: one bit per pixel of the video rectangle, rows of whole
 * 32-bit words ((width + 31) / 32 * 4 bytes), top row first, the leftmost
 * pixel in the top bit of each byte; 1 shows video, 0 keeps it off.
 * DCardMask hands the driver a mask of the caller's (maskSwitch 0: none).
 * DCardWindowsMask computes it from the windows above window's top-level
 * window that cover rect (screen coordinates; null: window's client area, at
 * most 769 x 576 pixels), sends it, and repaints the covering windows when
 * they changed; DCardWindowsMaskEx starts from initialMask (the same format)
 * when it is not null. */
DCARD_API int DCARD_CALL DCardMask(int handle, int maskSwitch, int width, int height,
                                   const void* bits, uint32_t size);
DCARD_API int DCARD_CALL DCardWindowsMask(int handle, HWND window, const RECT* rect);
DCARD_API int DCARD_CALL DCardWindowsMaskEx(int handle, HWND window, const RECT* rect,
                                            const void* initialMask);
/* The physical address of the user memory at address (at least 4 writable
 * bytes), as the driver finds it; 1 when it is not 0. */
DCARD_API int DCARD_CALL DCardVirt2Phys(int handle, void* address, uint32_t* physical);

/* Digitizes one frame (8 grey, 15 or 16 as RGB 5-5-5, 24 RGB) and writes it to
 * path as a BMP file, replacing any file there. */
DCARD_API int DCARD_CALL DCardSaveDigBMP(int handle, int camera, int width, int height,
                                         int bitsPerPixel, const char* path);

#ifdef __cplusplus
}
#endif

/* The layouts are part of the interface: a change here breaks callers. */
DCARD_STATIC_ASSERT(sizeof(void*) == 4, "the card interface is 32-bit");
DCARD_STATIC_ASSERT(sizeof(DCardParam) == 22, "DCardParam is 22 bytes");
DCARD_STATIC_ASSERT(offsetof(DCardParam, version) == 16, "DCardParam.version at 16");
DCARD_STATIC_ASSERT(offsetof(DCardParam, mapInfo3) == 18, "DCardParam.mapInfo3 at 18");
DCARD_STATIC_ASSERT(sizeof(DCardFrameMode) == 28, "DCardFrameMode is 28 bytes");
DCARD_STATIC_ASSERT(offsetof(DCardFrameMode, frameBytes) == 24, "frameBytes at 24");
DCARD_STATIC_ASSERT(sizeof(DCardRegInfo) == 56, "DCardRegInfo is 56 bytes");
DCARD_STATIC_ASSERT(offsetof(DCardRegInfo, regNum) == 12, "regNum at 12");
DCARD_STATIC_ASSERT(offsetof(DCardRegInfo, unit) == 40, "unit at 40");
DCARD_STATIC_ASSERT(offsetof(DCardRegInfo, scale) == 44, "scale at 44");
DCARD_STATIC_ASSERT(offsetof(DCardRegInfo, isBoolean) == 52, "isBoolean at 52");
DCARD_STATIC_ASSERT(sizeof(DCardMemoryConfig) == 24, "DCardMemoryConfig is 24 bytes");
DCARD_STATIC_ASSERT(offsetof(DCardMemoryConfig, boardType) == 16, "boardType at 16");
DCARD_STATIC_ASSERT(sizeof(DCardCameraRecord) == 40, "DCardCameraRecord is 40 bytes");
DCARD_STATIC_ASSERT(offsetof(DCardCameraRecord, name) == 8, "camera name at 8");
DCARD_STATIC_ASSERT(sizeof(DCardFunctions) == 128, "DCardFunctions is 128 bytes");
DCARD_STATIC_ASSERT(offsetof(DCardFunctions, DCardGetCameraRecord) == 100,
                    "DCardGetCameraRecord entry at 100");
DCARD_STATIC_ASSERT(offsetof(DCardFunctions, DCardWindowsMaskEx) == 124,
                    "DCardWindowsMaskEx entry at 124");

#endif
