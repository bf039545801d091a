// The driver answering badly: for any request code, a failing call, an odd
// status word, a short byte count or garbage in its reply, while a card
// opens and while it is used through every family of calls, over either
// driver family. Every call reports 0 or 1, nothing writes past a caller's
// buffer (guard bytes, ASan) and nothing reads outside the card's memory.
#include <saa7146/dcard.h>

#include "card/driver_request.h"
#include "fuzz_setup.h"
#include "support/guarded.h"

namespace {

using harness::GuardedBuffer;
using harness::InputReader;

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

void checkResult(int result, std::initializer_list<GuardedBuffer*> buffers = {})
{
    check(result == 0 || result == 1);
    for (GuardedBuffer* buffer : buffers)
        check(buffer->intact());
}

uint32_t oddStatus(InputReader& in)
{
    static const uint32_t kStatuses[] = {0, 1, 2, 3, 4, 5, 0x80000000u, 0xFFFFFFFFu};
    uint8_t pick = in.byte();
    return pick < 200 ? kStatuses[pick % 8] : in.word();
}

// A fault of the input's choosing. Garbage never touches the frame memory's
// address and size in a MapMemory reply: the library takes those from the
// driver as they are, as it must.
sim::Fault readFault(InputReader& in)
{
    sim::Fault fault;
    fault.kind = static_cast<sim::Fault::Kind>(in.byte() % 4);
    fault.code = int32_t(in.byte() % (driver::kCodeCount + 1)) - 1;
    fault.status = oddStatus(in);
    fault.shortBy = in.byte() % 2 ? in.byte() % 8 : in.word();
    fault.remaining = 1 + in.byte() % 4;
    if (fault.kind == sim::Fault::Garbage) {
        if (fault.code == -1)
            fault.code = driver::GetReg;
        fault.byteOffset = in.byte() % 2 ? sizeof(driver::Header) + in.byte() % 64 : in.half() % 1100;
        fault.bytes = in.bytes(in.byte() % 64 + 1);
        if (fault.code == driver::MapMemory) {
            fault.byteOffset = in.byte() % 2 ? 36 : 48;
            fault.bytes.resize(fault.bytes.size() < 4 ? fault.bytes.size() : 4);
        }
    }
    return fault;
}

// One call of the card interface, its arguments partly from the input.
void call(int handle, InputReader& in)
{
    const int camera = in.byte() % 4 - 1;
    switch (in.byte() % 20) {
    case 0: {
        GuardedBuffer value(4);
        checkResult(DCardGetReg(handle, camera, in.byte() % 2 ? in.byte() : int(in.word()),
                                value.as<int>()),
                    {&value});
        break;
    }
    case 1:
        checkResult(DCardSetReg(handle, camera, in.byte() % 2 ? in.byte() : int(in.word()),
                                int(in.word())));
        break;
    case 2: {
        GuardedBuffer value(4);
        static const char* const kNames[] = {"Brightness", "Hue", "Xstart", "CON0127B", "VL"};
        const char* name = kNames[in.byte() % 5];
        checkResult(DCardGetStringReg(handle, camera, name, value.as<int>()), {&value});
        checkResult(DCardSetStringReg(handle, camera, name, int(in.word())));
        break;
    }
    case 3: {
        const int mode = in.byte() % 30;
        DCardFrameMode record{};
        record.size = sizeof(record);
        uint32_t bytes = DCardGetMode(handle, mode, &record) ? uint32_t(record.frameBytes) : 64;
        if (in.byte() % 4 == 0)
            bytes = bytes / 2;
        GuardedBuffer frame(bytes);
        GuardedBuffer out(4);
        checkResult(DCardDigit(handle, camera, mode, frame.data(), uint32_t(frame.size()),
                               out.as<uint32_t>(), in.byte() & 1),
                    {&frame, &out});
        break;
    }
    case 4: {
        const int width = in.between(-2, 80), height = in.between(-2, 60);
        static const int kDepths[] = {8, 15, 16, 24, 32, 0, 12};
        const int bits = kDepths[in.byte() % 7];
        const uint32_t room = uint32_t(width > 0 ? width : 0) * uint32_t(height > 0 ? height : 0) * 4;
        GuardedBuffer frame(in.byte() % 4 ? room : room / 3);
        GuardedBuffer out(4);
        checkResult(DCardDigitEx(handle, camera, width, height, bits, in.byte() % 3,
                                 in.byte() % 5 ? frame.data() : nullptr, uint32_t(frame.size()),
                                 out.as<uint32_t>(), in.byte() & 1),
                    {&frame, &out});
        break;
    }
    case 5:
        checkResult(DCardSetCameraSignal(handle, camera, in.byte() % 6));
        break;
    case 6: {
        GuardedBuffer value(4);
        const int param = in.byte() % 24;
        checkResult(DCardSetDriverParam(handle, camera, param, int(in.word())));
        checkResult(DCardGetDriverParam(handle, camera, param, value.as<int>()), {&value});
        break;
    }
    case 7: {
        const int count = in.between(-2, 258);
        GuardedBuffer data(count > 0 ? size_t(count) : 0, in.byte());
        const int address = in.byte() % 2 ? 0x9C : in.byte();
        if (in.byte() & 1)
            checkResult(DCardI2CTransmit(handle, in.between(0, 600), address, in.byte(),
                                         data.data(), count),
                        {&data});
        else
            checkResult(DCardI2CReceive(handle, in.between(0, 600), address, in.byte(),
                                        data.data(), count),
                        {&data});
        break;
    }
    case 8: {
        const int count = in.between(-2, 258);
        GuardedBuffer words(count > 0 ? size_t(count) * 4 : 0);
        for (size_t i = 0; i < words.size(); ++i)
            words.data()[i] = in.byte();
        checkResult(DCardI2CCommand(handle, in.between(0, 600), words.as<uint32_t>(), count),
                    {&words});
        break;
    }
    case 9: {
        const uint32_t size = in.byte() % 2 ? sizeof(DCardMemoryConfig) : in.byte() % 32;
        GuardedBuffer config(size > 4 ? size : 4);
        memcpy(config.data(), &size, 4);
        checkResult(DCardGetMemoryConfig(handle, config.as<DCardMemoryConfig>()), {&config});
        DCardMemoryConfig set = {sizeof(set), in.word() % 0x200000, in.word() % 0x200000,
                                 in.word() % 0x200000, 0, 0};
        checkResult(DCardSetMemoryConfig(handle, &set));
        break;
    }
    case 10: {
        GuardedBuffer data(in.byte() * 16u, in.byte());
        checkResult(DCardOutput(handle, in.byte() % 3, int(in.word()), 0, 0, data.data(),
                                uint32_t(data.size())),
                    {&data});
        break;
    }
    case 11: {
        const int width = in.between(0, 769), height = in.between(0, 576);
        GuardedBuffer bits(size_t((width + 31) / 32 * 4) * size_t(height), 0xFF);
        checkResult(DCardMask(handle, in.byte() % 3, width, height, bits.data(),
                              uint32_t(bits.size())),
                    {&bits});
        break;
    }
    case 12: {
        DCardFunctions table{};
        table.size = sizeof(table);
        check(DCardGetFunctions(&table) == 1);
        const uint32_t size = in.byte() % 2 ? sizeof(DCardCameraRecord) : in.byte() % 48;
        GuardedBuffer record(size > 4 ? size : 4);
        memcpy(record.data(), &size, 4);
        checkResult(table.DCardGetCameraRecord(handle, camera, record.as<DCardCameraRecord>()),
                    {&record});
        break;
    }
    case 13: {
        RECT rect = {in.between(-10, 1100), in.between(-10, 800), in.between(-10, 1100),
                     in.between(-10, 800)};
        checkResult(DCardOverlay(handle, camera, in.byte() % 4 ? &rect : nullptr));
        checkResult(DCardOverlayEx(handle, camera, 1, 2, 3, 4, 5, 6, 7, 8));
        break;
    }
    case 14: {
        GuardedBuffer memory(4);
        GuardedBuffer physical(4);
        checkResult(DCardVirt2Phys(handle, memory.data(), physical.as<uint32_t>()),
                    {&memory, &physical});
        break;
    }
    case 15: {
        GuardedBuffer inputs(4);
        checkResult(DCardSetOutputs(handle, in.byte()));
        checkResult(DCardGetInputs(handle, inputs.as<int>()), {&inputs});
        break;
    }
    case 16: {
        const uint32_t size = in.byte() % 2 ? sizeof(DCardParam) : in.byte() % 26;
        GuardedBuffer param(size > 4 ? size : 4);
        memcpy(param.data(), &size, 4);
        checkResult(DCardGetParamEx(handle, param.as<DCardParam>()), {&param});
        GuardedBuffer type(4);
        checkResult(DCardGetDecoderType(handle, type.as<int>()), {&type});
        GuardedBuffer info(sizeof(DCardRegInfo));
        checkResult(DCardGetRegInfoEx(handle, in.byte() % 32, info.as<DCardRegInfo>()), {&info});
        break;
    }
    case 17: {
        static const std::string path = fuzz::scratchDirectory() + "/frame.bmp";
        static const int kDepths[] = {8, 15, 16, 24};
        checkResult(DCardSaveDigBMP(handle, camera, in.between(0, 40), in.between(0, 30),
                                    kDepths[in.byte() % 4], path.c_str()));
        break;
    }
    case 18: {
        RECT target = {in.between(-5, 100), in.between(-5, 100), in.between(-5, 900),
                       in.between(-5, 700)};
        checkResult(DCardWindowsMask(handle, nullptr, &target));
        break;
    }
    default: {
        // Another open of a card that is open, or of a card that is not there.
        int second = DCardInit(in.byte() % 12 - 1);
        check(second == 0 || (second >= 1 && second <= 10));
        if (second > 1)
            DCardExit(second);
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        fuzz::setUpOnce(false);
        return true;
    }();
    (void)ready;
    InputReader in(data, size);
    const bool legacy = in.byte() % 4 == 0;
    SetEnvironmentVariableA("OS", legacy ? "Windows_95" : "Windows_NT");
    sim::card(0).configure(fuzz::fuzzSettings(false));
    for (int faults = in.byte() % 8; faults > 0; --faults)
        sim::card(0).injectFault(readFault(in));

    const int handle = DCardInit(0);
    check(handle == 0 || handle == 1);
    for (int calls = 0; calls < 24 && !in.empty(); ++calls) {
        // Now and then more faults for what follows.
        if (in.byte() % 8 == 0)
            sim::card(0).injectFault(readFault(in));
        call(handle ? handle : 1, in);
    }
    const int closed = DCardExit(1);
    check(closed == 0 || closed == 1);
    check(DCardExit(1) == 0);
    sim::card(0).clearFaults();
    return 0;
}
