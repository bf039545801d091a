#include "card/digit_card.h"

#include <cstdio>
#include <cstring>

#include "card/send_request.h"
#include "card/switches.h"

namespace {

constexpr uint32_t kTestModeFrameMemorySize = 0x480000;
constexpr char kTestModeCaption[] = "SAA7146.DLL";
constexpr char kTestModeText[] =
    "Test mode SAA7146.DLL\nYou may set this feature in SAA7146.INI/[Settings]/Debug=1|0";

// The newer driver family runs on Windows NT, which sets OS=Windows_NT. The
// older family exists on 32-bit systems only: a 64-bit build always takes
// the newer one.
bool environmentIsNt()
{
    if (sizeof(void*) > 4)
        return true;
    char value[32] = {};
    DWORD length = GetEnvironmentVariableA("OS", value, sizeof(value));
    return length > 0 && length < sizeof(value) && strcmp(value, "Windows_NT") == 0;
}

} // namespace

DigitCard::DigitCard() : memoryMapRequest(driver::makeRequest<driver::MapMemoryRequest>()) {}

DigitCard::~DigitCard()
{
    // At the process's end the system closes the device itself, and the
    // card's lock may belong to a thread that no longer runs.
    if (!processEnding)
        close();
}

int DigitCard::open()
{
    SemaphoreScope hold(cardLock);
    ioExpanderAddress = 0x70;
    cardInfo[0] = 0x101;
    cardInfo[1] = 2;
    decoderType = 2;
    if (device != INVALID_HANDLE_VALUE)
        return 0;
    legacyDriver = !environmentIsNt();
    if (testMode && cardNumber != 0)
        return 0;

    device = openDevice();
    if (device == INVALID_HANDLE_VALUE)
        return 0;

    if (!mapMemory()) {
        close();
        return 0;
    }

    auto info = driver::makeRequest<driver::CardInfoRequest>();
    if (!sendRequest(info, device)) {
        close();
        return 0;
    }
    if (!testMode) {
        cardInfo[0] = info.cardInfo0;
        cardInfo[1] = info.cardInfo1;
        decoderType = info.decoderType;
    }

    if (!refreshRegisters()) {
        close();
        return 0;
    }

    DCardMemoryConfig config = {};
    config.size = sizeof(config);
    if (!getMemoryConfig(&config)) {
        close();
        return 0;
    }

    int boardId = 0;
    if (!getDriverParam(0, 20, &boardId)) {
        close();
        return 0;
    }
    probeExpander(static_cast<uint32_t>(boardId));

    // Both cameras start from a known digitizing state: an empty frame each.
    uint32_t ignored = 0;
    digitEx(1, 0, 0, 8, DCARD_COLOUR_YUV422, nullptr, 0x36000, &ignored, 0);
    digitEx(0, 0, 0, 8, DCARD_COLOUR_YUV422, nullptr, 0x36000, &ignored, 0);
    return 1;
}

HANDLE DigitCard::openDevice()
{
    pseudoDevice_ = false;
    if (testMode) {
        if (displayDialog)
            MessageBoxA(nullptr, kTestModeText, kTestModeCaption, MB_OK);
        pseudoDevice_ = true;
        return TEST_MODE_DEVICE;
    }
    if (legacyDriver) {
        if (cardNumber != 0)
            return INVALID_HANDLE_VALUE;
        return platform::openDeviceFile("\\\\.\\TAV7146", 0, 0, 0, FILE_FLAG_DELETE_ON_CLOSE);
    }
    char name[32];
    snprintf(name, sizeof(name), "\\\\.\\TavSAA7146%d", static_cast<int>(cardNumber));
    return platform::openDeviceFile(name, GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
}

int DigitCard::close()
{
    SemaphoreScope hold(cardLock);
    unmapMemory();
    if (device != INVALID_HANDLE_VALUE) {
        if (!pseudoDevice_)
            platform::closeDeviceFile(device);
        device = INVALID_HANDLE_VALUE;
        pseudoDevice_ = false;
    }
    return 1;
}

int DigitCard::mapMemory()
{
    if (testMode) {
        std::lock_guard<std::mutex> hold(mapLock_);
        memoryMapRequest.frameMemorySize = kTestModeFrameMemorySize;
        return 1;
    }
    driver::MapMemoryRequest request = memoryMapRequest;
    if (!sendRequest(request, device))
        return 0;
    std::lock_guard<std::mutex> hold(mapLock_);
    memoryMapRequest = request;
    return 1;
}

int DigitCard::unmapMemory()
{
    if (pseudoDevice_ || (testMode && device == INVALID_HANDLE_VALUE))
        return 1;
    auto request = driver::makeRequest<driver::UnmapMemoryRequest>();
    {
        std::lock_guard<std::mutex> hold(mapLock_);
        memoryMapRequest.frameMemory = 0;
    }
    return sendRequest(request, device);
}

FrameMapping DigitCard::mapping() const
{
    std::lock_guard<std::mutex> hold(mapLock_);
    return {memoryMapRequest.mapInfo0,
            driver::wordAddress<uint8_t>(memoryMapRequest.frameMemory),
            memoryMapRequest.frameMemorySize, memoryMapRequest.mapInfo3};
}

int DigitCard::getDecoderType(int* out) const
{
    if (!out)
        return 0;
    *out = decoderType;
    return 1;
}
