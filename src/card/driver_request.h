// The records exchanged with the card's kernel driver. Every request is one
// record: a 36-byte header and a payload, handed to the driver in a single
// device-control call and answered in place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace driver {

// Device-control codes that carry a request, by driver family, and the
// address translation code of the newer family.
constexpr uint32_t kRequestCode = 0x9C406400u;
constexpr uint32_t kLegacyRequestCode = 0x00FC0000u;
constexpr uint32_t kTranslateCode = 0x9C406406u;

// Status words of the header.
constexpr uint32_t kStatusPending = 2;
constexpr uint32_t kStatusOk = 0;
constexpr uint32_t kStatusNotSupported = 4;

enum Code : int32_t {
    SetReg = 0,
    GetReg = 1,
    MapMemory = 2,
    UnmapMemory = 3,
    Overlay = 4,
    Digit = 5,
    SetCameraSignal = 6,
    CardInfo = 7,
    SetDriverParam = 8,
    I2CTransfer = 9,
    I2CCommand = 10,
    MemoryConfig = 11,
    Output = 12,
    Mask = 13,
    CameraRecord = 14,
    OverlayEx = 15,
    GetDriverParam = 16,
};
constexpr int kCodeCount = 17;

// Bytes per pixel of the depths a Digit request may carry (8, 15, 16, 24,
// 32 bits), 0 for any other.
constexpr int bytesPerPixel(int bitsPerPixel)
{
    return bitsPerPixel == 8                        ? 1
           : bitsPerPixel == 15 || bitsPerPixel == 16 ? 2
           : bitsPerPixel == 24                       ? 3
           : bitsPerPixel == 32                       ? 4
                                                      : 0;
}

struct CodeInfo {
    const char* name;
    uint32_t size; // whole record, header included
};

// Name and size of every request code, indexed by code.
inline constexpr CodeInfo kCodes[kCodeCount] = {
    {"SetReg", 48},         {"GetReg", 52},        {"MapMemory", 52},
    {"UnmapMemory", 40},    {"Overlay", 76},       {"Digit", 64},
    {"SetCameraSignal", 48}, {"CardInfo", 48},     {"SetDriverParam", 48},
    {"I2CTransfer", 312},   {"I2CCommand", 1068},  {"MemoryConfig", 60},
    {"Output", 60},         {"Mask", 56},          {"CameraRecord", 80},
    {"OverlayEx", 72},      {"GetDriverParam", 48},
};

struct Header {
    uint32_t reserved0;
    uint32_t reserved1;
    int32_t code;   // -1 until set
    uint32_t status;
    uint32_t size;  // 0 until set
    uint32_t reserved2[4];
};

struct SetRegRequest {
    Header header;
    int32_t camera; // camera + 1
    uint32_t regNum;
    uint32_t value;
};

struct GetRegRequest {
    Header header;
    int32_t camera; // camera + 1; 0 from the register refresh
    uint32_t regNum;
    uint32_t value; // reply
    uint32_t mode;  // 1 asks for the power-on default
};

struct MapMemoryRequest {
    Header header;
    uint32_t mapInfo0;
    uint32_t frameMemory;
    uint32_t frameMemorySize;
    uint32_t mapInfo3;
};

struct UnmapMemoryRequest {
    Header header;
    uint32_t zero;
};

struct OverlayRequest {
    Header header;
    int32_t camera; // camera + 1; 0 = off
    int32_t bitsPerPixel;
    int32_t bytesPerPixel;
    int32_t bytesPerLine;
    int32_t width;
    int32_t height;
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct DigitRequest {
    Header header;
    int32_t camera; // camera + 1
    int32_t bitsPerPixel;
    int32_t width;
    int32_t height; // negative: bottom-up
    int32_t rgb;
    uint32_t buffer;
    uint32_t frameBytes;
};

struct SetCameraSignalRequest {
    Header header;
    int32_t camera;
    int32_t signalType;
    uint32_t zero;
};

struct CardInfoRequest {
    Header header;
    int32_t cardInfo0;
    int32_t cardInfo1;
    int32_t decoderType;
};

struct SetDriverParamRequest {
    Header header;
    int32_t camera;
    int32_t param;
    int32_t value;
};

struct I2CTransferRequest {
    Header header;
    uint32_t direction; // 1 transmit, 0 receive
    uint8_t data[256];
    int32_t count;
    uint32_t address;
    uint32_t subAddress;
    uint32_t speedCode;
};

struct I2CCommandRequest {
    Header header;
    uint32_t words[256];
    int32_t count;
    uint32_t speedCode;
};

struct MemoryConfigRequest {
    Header header;
    uint32_t operation; // 0 get, 1 set
    uint32_t captureOffset;
    uint32_t maskOffset;
    uint32_t outputOffset;
    uint32_t boardType;
    uint32_t extraInfo;
};

struct OutputRequest {
    Header header;
    int32_t mode;
    int32_t param1;
    int32_t param2;
    int32_t param3;
    uint32_t data;
    uint32_t length;
};

struct MaskRequest {
    Header header;
    int32_t maskSwitch;
    int32_t width;
    int32_t height;
    uint32_t bits;
    uint32_t size;
};

struct CameraRecordRequest {
    Header header;
    int32_t camera;
    uint8_t record[40];
};

struct OverlayExRequest {
    Header header;
    int32_t camera;
    int32_t values[8]; // in payload order, not argument order
};

struct GetDriverParamRequest {
    Header header;
    int32_t camera;
    int32_t param;
    int32_t value; // reply
};

// The code of each record type.
template <class Record> struct CodeOf;
#define DRIVER_REQUEST_CODE(type, value)                                  \
    template <> struct CodeOf<type> {                                     \
        static constexpr Code code = value;                               \
    }
DRIVER_REQUEST_CODE(SetRegRequest, SetReg);
DRIVER_REQUEST_CODE(GetRegRequest, GetReg);
DRIVER_REQUEST_CODE(MapMemoryRequest, MapMemory);
DRIVER_REQUEST_CODE(UnmapMemoryRequest, UnmapMemory);
DRIVER_REQUEST_CODE(OverlayRequest, Overlay);
DRIVER_REQUEST_CODE(DigitRequest, Digit);
DRIVER_REQUEST_CODE(SetCameraSignalRequest, SetCameraSignal);
DRIVER_REQUEST_CODE(CardInfoRequest, CardInfo);
DRIVER_REQUEST_CODE(SetDriverParamRequest, SetDriverParam);
DRIVER_REQUEST_CODE(I2CTransferRequest, I2CTransfer);
DRIVER_REQUEST_CODE(I2CCommandRequest, I2CCommand);
DRIVER_REQUEST_CODE(MemoryConfigRequest, MemoryConfig);
DRIVER_REQUEST_CODE(OutputRequest, Output);
DRIVER_REQUEST_CODE(MaskRequest, Mask);
DRIVER_REQUEST_CODE(CameraRecordRequest, CameraRecord);
DRIVER_REQUEST_CODE(OverlayExRequest, OverlayEx);
DRIVER_REQUEST_CODE(GetDriverParamRequest, GetDriverParam);
#undef DRIVER_REQUEST_CODE

template <class Record> constexpr bool hasItsCodeSize()
{
    return sizeof(Record) == kCodes[CodeOf<Record>::code].size;
}
static_assert(sizeof(Header) == 36, "the request header is 36 bytes");
static_assert(hasItsCodeSize<SetRegRequest>() && hasItsCodeSize<GetRegRequest>() &&
                  hasItsCodeSize<MapMemoryRequest>() && hasItsCodeSize<UnmapMemoryRequest>() &&
                  hasItsCodeSize<OverlayRequest>() && hasItsCodeSize<DigitRequest>() &&
                  hasItsCodeSize<SetCameraSignalRequest>() && hasItsCodeSize<CardInfoRequest>() &&
                  hasItsCodeSize<SetDriverParamRequest>() && hasItsCodeSize<I2CTransferRequest>() &&
                  hasItsCodeSize<I2CCommandRequest>() && hasItsCodeSize<MemoryConfigRequest>() &&
                  hasItsCodeSize<OutputRequest>() && hasItsCodeSize<MaskRequest>() &&
                  hasItsCodeSize<CameraRecordRequest>() && hasItsCodeSize<OverlayExRequest>() &&
                  hasItsCodeSize<GetDriverParamRequest>(),
              "every record has the size of its code");
static_assert(offsetof(I2CTransferRequest, count) == 296 &&
                  offsetof(I2CTransferRequest, speedCode) == 308,
              "I2CTransfer layout");
static_assert(offsetof(I2CCommandRequest, count) == 1060, "I2CCommand layout");
static_assert(offsetof(DigitRequest, frameBytes) == 60, "Digit layout");
static_assert(offsetof(MemoryConfigRequest, extraInfo) == 56, "MemoryConfig layout");
static_assert(offsetof(CameraRecordRequest, record) == 40, "CameraRecord layout");

// Addresses in the 32-bit words of a request. The product is 32-bit, where
// every address fits. A 64-bit build (a test vehicle) opens only the newer
// driver family, which takes frames, masks and output data through the frame
// memory and reads no address word: there a word whose address does not fit
// is sent as 0, never as the address cut short. Where a 32-bit address is
// read (the older family, the maker's helper), a caller that gets false from
// addressFits refuses.
inline bool addressFits(const void* address)
{
    return reinterpret_cast<uintptr_t>(address) <= UINT32_MAX;
}
inline uint32_t addressWord(const void* address)
{
    return addressFits(address) ? static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address)) : 0;
}
template <class T> T* wordAddress(uint32_t word)
{
    return reinterpret_cast<T*>(static_cast<uintptr_t>(word));
}

// Zeroes the header, then sets status 2 and the code and size from the table.
void initHeader(Header& header, Code code);

// A request of the record's type: payload zero, header built by initHeader.
template <class Record> Record makeRequest()
{
    Record record{};
    initHeader(record.header, CodeOf<Record>::code);
    return record;
}

} // namespace driver
