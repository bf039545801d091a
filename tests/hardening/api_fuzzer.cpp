// The API fuzzer: every exported function, called in random order from
// several threads with hostile arguments (handles out of range, null and short
// pointers, sizes from 0 to huge, negative and huge widths, heights and
// counts, unterminated strings, inverted rectangles), while the virtual cards
// fail calls, answer odd statuses and short counts, and in test mode too.
// Every buffer handed in has guard bytes on both sides. A fault is a result
// other than 0 or 1 (a handle from DCardInit), a call that succeeds where it
// must fail, or a guard byte changed; crashes and stray reads are the
// sanitizers' to report (preset native-asan).
//
//   api_fuzzer [--calls N] [--threads T] [--seed S] [--exports FILE]
//
// Every function named in the export list needs a caller in kCallers; a new
// family of calls (the capture interface, the dialogs) adds its callers
// there, and the fuzzer refuses to run until each export has one.
#include <algorithm>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <saa7146/dcard.h>
#include <saa7146/tavdig.h>

#include "fuzz/fuzz_setup.h"
#include "support/guarded.h"

namespace {

using harness::GuardedBuffer;

std::atomic<long> faults{0};
std::atomic<long> callsMade{0};
// Test mode: every request the library sends succeeds, and masks are not made.
std::atomic<bool> testModeRound{false};

void fault(const char* function, const char* what, long long detail = 0)
{
    if (faults++ < 50)
        fprintf(stderr, "FAULT %s: %s (%lld)\n", function, what, detail);
}

// One thread's source of hostile arguments.
struct Args {
    std::mt19937 random;
    std::vector<HWND> windows; // the thread's own windows

    explicit Args(uint32_t seed) : random(seed) {}

    uint32_t below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random); }
    bool oneIn(uint32_t n) { return below(n) == 0; }
    int32_t between(int32_t low, int32_t high)
    {
        return std::uniform_int_distribution<int32_t>(low, high)(random);
    }
    uint32_t word() { return uint32_t(random()); }

    int handle()
    {
        static const int kOdd[] = {0, -1, 11, 12, 100, INT_MIN, INT_MAX};
        return oneIn(4) ? kOdd[below(7)] : between(1, 10);
    }
    int camera() { return oneIn(8) ? int(word()) : between(-2, 10); }
    // Widths and heights: negative, at and around every limit, and huge.
    int side()
    {
        static const int kSides[] = {-100000, -1, 0, 1, 2, 31, 32, 33, 240, 288, 320,
                                     576, 577, 768, 769, 770, 100000, INT_MIN, INT_MAX};
        return oneIn(3) ? between(-5, 1000) : kSides[below(sizeof(kSides) / sizeof(int))];
    }
    int count()
    {
        static const int kCounts[] = {-1, -2, INT_MIN, 0, 1, 2, 255, 256, 257, INT_MAX};
        return oneIn(2) ? between(-3, 300) : kCounts[below(10)];
    }
    uint32_t size()
    {
        static const uint32_t kSizes[] = {0, 1, 3, 4, 5, 21, 22, 23, 24, 27, 28, 29, 39, 40,
                                          41, 56, 127, 128, 129, 0x10000, 0x10001,
                                          0x7FFFFFFF, 0xFFFFFFFF};
        return kSizes[below(sizeof(kSizes) / sizeof(uint32_t))];
    }
    HWND window()
    {
        if (!windows.empty() && !oneIn(4))
            return windows[below(uint32_t(windows.size()))];
        return oneIn(2) ? nullptr : reinterpret_cast<HWND>(uintptr_t(word()));
    }
    RECT rect()
    {
        if (oneIn(4))
            return {int(word()), int(word()), int(word()), int(word())};
        int left = between(-100, 1100), top = between(-100, 800);
        return {left, top, left + side() % 1000, top + side() % 700}; // inverted at times
    }
};

// A record whose size word tells what the caller provides: from nothing past
// the word to more than the record, in a buffer of exactly that size.
struct Record {
    GuardedBuffer buffer;
    Record(Args& a, size_t full)
        : buffer(a.oneIn(3) ? full : 4 + a.below(uint32_t(full + 8)), 0x33)
    {
        uint32_t size = uint32_t(buffer.size());
        memcpy(buffer.data(), &size, 4);
    }
};

// The call's result: 0 or 1, 0 where it must fail, and its buffers unharmed.
void check(const char* function, int result, bool mustFail,
           std::initializer_list<const GuardedBuffer*> buffers = {})
{
    ++callsMade;
    if (result != 0 && result != 1)
        fault(function, "result neither 0 nor 1", result);
    if (mustFail && result != 0)
        fault(function, "succeeded with arguments it must refuse");
    for (const GuardedBuffer* buffer : buffers)
        if (!buffer->intact())
            fault(function, "wrote past a buffer", long(buffer->size()));
}

bool openHandle(int handle) { return handle >= 1 && handle <= 10; }

// The capture interface keeps one set of dialog settings per process and is
// called from one thread at a time, as its header asks.
std::mutex captureInterface;

// A key path for the capture interface: none, empty, one that fits, one of
// 128 characters or more (refused), or one without a terminator in its first
// 128 bytes (refused without reading further).
struct KeyPath {
    GuardedBuffer buffer{0, 0, true};
    bool refused = false;
    const char* text() { return buffer.as<const char>(); }
};
KeyPath keyPath(Args& a)
{
    KeyPath key;
    uint32_t kind = a.below(5);
    if (kind == 0)
        return key;
    size_t length = kind == 1 ? 0 : kind == 2 ? a.below(128) : 128 + a.below(200);
    bool terminated = kind != 4;
    key.buffer = GuardedBuffer(length + (terminated ? 1 : 0), 'k');
    if (terminated)
        key.buffer.as<char>()[length] = '\0';
    key.refused = length >= 128;
    return key;
}

bool dialogType(int type)
{
    return type == 1 || type == 2 || type == 4 || type == 7;
}

// A buffer that may be absent, short or as asked.
GuardedBuffer maybeBuffer(Args& a, size_t wanted)
{
    if (a.oneIn(8))
        return GuardedBuffer(0, 0, true);
    if (a.oneIn(4))
        return GuardedBuffer(a.below(uint32_t(wanted + 1)));
    return GuardedBuffer(wanted);
}

// A string without its terminating zero, in memory of exactly its length:
// sometimes a register name followed by more letters.
std::vector<char> unterminated(Args& a)
{
    static const char* const kNames[] = {"Brightness", "Hue", "HAVBLO0127B", "Xstart", ""};
    std::string text = kNames[a.below(5)];
    for (int n = a.between(12, 40); n > 0; --n)
        text += char('A' + a.below(26));
    return std::vector<char>(text.begin(), text.end());
}

using Caller = void (*)(Args&);
struct Entry {
    const char* name;
    Caller call;
};

const Entry kCallers[] = {
    {"DCardInit",
     [](Args& a) {
         int number = a.oneIn(4) ? int(a.word()) : a.between(-2, 11);
         int handle = DCardInit(number);
         ++callsMade;
         if (handle != 0 && handle != number + 1)
             fault("DCardInit", "handle other than 0 or the card number + 1", handle);
         if (handle && (number < 0 || number > 9))
             fault("DCardInit", "opened a card number outside 0..9", number);
     }},
    {"DCardExit",
     [](Args& a) {
         int handle = a.handle();
         check("DCardExit", DCardExit(handle), !openHandle(handle));
     }},
    {"DCardGetParam",
     [](Args& a) {
         Record r(a, sizeof(DCardParam));
         check("DCardGetParam", DCardGetParam(r.buffer.as<DCardParam>()), false, {&r.buffer});
     }},
    {"DCardGetParamEx",
     [](Args& a) {
         int handle = a.handle();
         Record r(a, sizeof(DCardParam));
         bool absent = a.oneIn(10);
         check("DCardGetParamEx",
               DCardGetParamEx(handle, absent ? nullptr : r.buffer.as<DCardParam>()),
               !openHandle(handle) || absent, {&r.buffer});
     }},
    {"DCardGetDecoderType",
     [](Args& a) {
         int handle = a.handle();
         GuardedBuffer type = maybeBuffer(a, 4);
         bool absent = !type.data();
         if (type.size() < 4)
             type = GuardedBuffer(absent ? 0 : 4, 0, absent);
         check("DCardGetDecoderType", DCardGetDecoderType(handle, type.as<int>()),
               !openHandle(handle) || absent, {&type});
     }},
    {"DCardGetFunctions",
     [](Args& a) {
         uint32_t size = a.oneIn(2) ? sizeof(DCardFunctions) : a.size() % 0x20000;
         GuardedBuffer table(size < 4 ? 4 : size);
         memcpy(table.data(), &size, 4);
         int result = DCardGetFunctions(table.as<DCardFunctions>());
         check("DCardGetFunctions", result, size < 4 || size > 0x10000, {&table});
     }},
    {"DCardGetMode",
     [](Args& a) {
         int handle = a.handle(), mode = a.between(-2, 30);
         Record r(a, sizeof(DCardFrameMode));
         check("DCardGetMode", DCardGetMode(handle, mode, r.buffer.as<DCardFrameMode>()),
               !openHandle(handle) || mode < 0 || mode > 27, {&r.buffer});
     }},
    {"DCardDigit",
     [](Args& a) {
         int handle = a.handle(), mode = a.between(-2, 30);
         static const uint32_t kBytes[] = {442368, 884736, 1327104, 884736};
         size_t wanted = mode >= 0 && mode < 28 ? kBytes[mode % 4] >> (mode >= 4 ? 1 : 0) : 4096;
         GuardedBuffer frame = maybeBuffer(a, a.oneIn(3) ? wanted : 4096);
         GuardedBuffer out(4);
         uint32_t length = a.oneIn(8) ? a.word() : uint32_t(frame.size());
         if (frame.data() && length > frame.size())
             length = uint32_t(frame.size()); // a caller that lies about its buffer is not ours
         check("DCardDigit",
               DCardDigit(handle, a.camera(), mode, frame.data(), length, out.as<uint32_t>(),
                          int(a.below(3))),
               !openHandle(handle) || mode < 0 || mode > 27, {&frame, &out});
     }},
    {"DCardDigitEx",
     [](Args& a) {
         int handle = a.handle(), width = a.side() % 800, height = a.side() % 600;
         static const int kDepths[] = {8, 15, 16, 24, 32, 0, -8, 12, 48};
         int bits = kDepths[a.below(9)];
         uint64_t need = uint64_t(std::max(width, 0)) * uint64_t(std::max(height, 0)) *
                         uint64_t(bits == 8 ? 1 : bits == 24 ? 3 : bits == 32 ? 4 : 2);
         GuardedBuffer frame = maybeBuffer(a, size_t(std::min<uint64_t>(need, 2000000)));
         GuardedBuffer out(4);
         bool noOut = a.oneIn(16);
         check("DCardDigitEx",
               DCardDigitEx(handle, a.camera(), width, height, bits, int(a.below(4)) - 1,
                            frame.data(), uint32_t(frame.size()),
                            noOut ? nullptr : out.as<uint32_t>(), int(a.below(2))),
               !openHandle(handle) || width < 0 || height < 0 || noOut || bits <= 0 ||
                   bits == 12 || bits == 48 ||
                   (frame.data() && frame.size() < need),
               {&frame, &out});
     }},
    {"DCardGetRegInfo",
     [](Args& a) {
         int index = a.between(-3, 12);
         GuardedBuffer info(sizeof(DCardRegInfo));
         check("DCardGetRegInfo", DCardGetRegInfo(index, info.as<DCardRegInfo>()),
               index < 0 || index > 9, {&info});
     }},
    {"DCardGetRegInfoEx",
     [](Args& a) {
         int handle = a.handle(), index = a.oneIn(8) ? int(a.word()) : a.between(-3, 30);
         GuardedBuffer info(sizeof(DCardRegInfo));
         check("DCardGetRegInfoEx", DCardGetRegInfoEx(handle, index, info.as<DCardRegInfo>()),
               !openHandle(handle) || index < 0 || index > 26, {&info});
     }},
    {"DCardSetReg",
     [](Args& a) {
         int handle = a.handle();
         int reg = a.oneIn(2) ? a.between(-2, 0x300) : int(a.word());
         check("DCardSetReg", DCardSetReg(handle, a.camera(), reg, int(a.word())),
               !openHandle(handle));
     }},
    {"DCardGetReg",
     [](Args& a) {
         int handle = a.handle();
         int reg = a.oneIn(2) ? a.between(-2, 0x300) : int(a.word());
         bool absent = a.oneIn(8);
         GuardedBuffer value(absent ? 0 : 4, 0, absent);
         check("DCardGetReg", DCardGetReg(handle, a.camera(), reg, value.as<int>()),
               !openHandle(handle) || absent, {&value});
     }},
    {"DCardSetStringReg",
     [](Args& a) {
         int handle = a.handle();
         std::vector<char> name = unterminated(a);
         std::unique_ptr<char[]> exact(new char[name.size()]);
         memcpy(exact.get(), name.data(), name.size());
         check("DCardSetStringReg",
               DCardSetStringReg(handle, a.camera(), a.oneIn(8) ? nullptr : exact.get(),
                                 int(a.word())),
               true);
     }},
    {"DCardGetStringReg",
     [](Args& a) {
         int handle = a.handle();
         static const char* const kNames[] = {"Brightness", "Hue", "CON0127B", "VL", "Nothing"};
         const char* name = kNames[a.below(5)];
         bool absent = a.oneIn(8);
         GuardedBuffer value(absent ? 0 : 4, 0, absent);
         check("DCardGetStringReg", DCardGetStringReg(handle, a.camera(), name, value.as<int>()),
               !openHandle(handle) || absent || name[0] == 'N', {&value});
     }},
    {"DCardI2CTransmit",
     [](Args& a) {
         int handle = a.handle(), count = a.count();
         GuardedBuffer data = maybeBuffer(a, size_t(std::clamp(count, 0, 300)));
         if (data.data() && int64_t(data.size()) < count && count <= 300)
             data = GuardedBuffer(size_t(count)); // shorter than its count is the caller's fault
         check("DCardI2CTransmit",
               DCardI2CTransmit(handle, a.between(-5, 1000), int(a.word()), int(a.word()),
                                data.data(), count),
               !openHandle(handle) || count < 0 || count > 256 || (!data.data() && count > 0),
               {&data});
     }},
    {"DCardI2CReceive",
     [](Args& a) {
         int handle = a.handle(), count = a.count();
         bool absent = a.oneIn(8);
         GuardedBuffer data(absent ? 0 : size_t(std::clamp(count, 0, 300)), 0, absent);
         check("DCardI2CReceive",
               DCardI2CReceive(handle, a.between(-5, 1000), a.oneIn(2) ? 0x9C : int(a.word()),
                               int(a.word()), data.data(), count),
               !openHandle(handle) || count < 0 || count > 256 || absent, {&data});
     }},
    {"DCardI2CCommand",
     [](Args& a) {
         int handle = a.handle(), count = a.count();
         bool absent = a.oneIn(8);
         GuardedBuffer words(absent ? 0 : 4 * size_t(std::clamp(count, 0, 300)), 0, absent);
         for (size_t i = 0; i + 4 <= words.size(); i += 4) {
             uint32_t word = a.oneIn(2) ? 0x3009C : a.word();
             memcpy(words.data() + i, &word, 4);
         }
         check("DCardI2CCommand",
               DCardI2CCommand(handle, a.between(-5, 1000), words.as<uint32_t>(), count),
               !openHandle(handle) || count > 256 || (count < 0 && !testModeRound), {&words});
     }},
    {"DCardGetI2CSpeeds",
     [](Args& a) {
         int handle = a.handle();
         const int* speeds = DCardGetI2CSpeeds(handle);
         ++callsMade;
         if (speeds && !openHandle(handle))
             fault("DCardGetI2CSpeeds", "a list for a handle out of range", handle);
         for (int i = 0; speeds && speeds[i]; ++i)
             if (i > 16 || (i > 0 && speeds[i] <= speeds[i - 1]))
                 fault("DCardGetI2CSpeeds", "list not ascending and ended by 0", i);
     }},
    {"DCardSetCameraSignal",
     [](Args& a) {
         int handle = a.handle();
         check("DCardSetCameraSignal",
               DCardSetCameraSignal(handle, a.camera(), a.oneIn(4) ? int(a.word()) : a.between(-1, 5)),
               !openHandle(handle));
     }},
    {"DCardSetDriverParam",
     [](Args& a) {
         int handle = a.handle();
         check("DCardSetDriverParam",
               DCardSetDriverParam(handle, a.camera(), a.between(-2, 30), int(a.word())),
               !openHandle(handle));
     }},
    {"DCardGetDriverParam",
     [](Args& a) {
         int handle = a.handle();
         bool absent = a.oneIn(8);
         GuardedBuffer value(absent ? 0 : 4, 0, absent);
         check("DCardGetDriverParam",
               DCardGetDriverParam(handle, a.camera(), a.between(-2, 30), value.as<int>()),
               !openHandle(handle), {&value});
     }},
    {"DCardGetMemoryConfig",
     [](Args& a) {
         int handle = a.handle();
         Record r(a, sizeof(DCardMemoryConfig));
         check("DCardGetMemoryConfig",
               DCardGetMemoryConfig(handle, r.buffer.as<DCardMemoryConfig>()),
               !openHandle(handle), {&r.buffer});
     }},
    {"DCardSetMemoryConfig",
     [](Args& a) {
         int handle = a.handle();
         Record r(a, sizeof(DCardMemoryConfig));
         for (size_t i = 4; i + 4 <= r.buffer.size(); i += 4) {
             uint32_t word = a.oneIn(2) ? a.below(0x500000) : a.word();
             memcpy(r.buffer.data() + i, &word, 4);
         }
         check("DCardSetMemoryConfig",
               DCardSetMemoryConfig(handle, r.buffer.as<DCardMemoryConfig>()),
               !openHandle(handle), {&r.buffer});
     }},
    {"DCardOutput",
     [](Args& a) {
         int handle = a.handle();
         GuardedBuffer data = maybeBuffer(a, a.below(4) * 1000);
         check("DCardOutput",
               DCardOutput(handle, a.between(-1, 3), int(a.word()), int(a.word()), int(a.word()),
                           data.data(), data.data() ? uint32_t(data.size()) : a.size()),
               !openHandle(handle), {&data});
     }},
    {"DCardSetOutputs",
     [](Args& a) {
         int handle = a.handle();
         check("DCardSetOutputs", DCardSetOutputs(handle, int(a.word())), !openHandle(handle));
     }},
    {"DCardGetInputs",
     [](Args& a) {
         int handle = a.handle();
         bool absent = a.oneIn(8);
         GuardedBuffer value(absent ? 0 : 4, 0, absent);
         check("DCardGetInputs", DCardGetInputs(handle, value.as<int>()),
               !openHandle(handle) || absent, {&value});
     }},
    {"DCardSaveDigBMP",
     [](Args& a) {
         static const std::string path = fuzz::scratchDirectory() + "/api-fuzzer.bmp";
         int handle = a.handle(), width = a.side(), height = a.side();
         if (a.oneIn(2)) {
             width %= 800;
             height %= 600;
         }
         static const int kDepths[] = {8, 15, 16, 24, 32, 0};
         int bits = kDepths[a.below(6)];
         bool noPath = a.oneIn(8);
         check("DCardSaveDigBMP",
               DCardSaveDigBMP(handle, a.camera(), width, height, bits,
                               noPath ? nullptr : path.c_str()),
               !openHandle(handle) || noPath || width < 0 || height < 0 || bits == 32 ||
                   bits == 0);
     }},
    {"DCardOverlay",
     [](Args& a) {
         int handle = a.handle();
         RECT rect = a.rect();
         check("DCardOverlay", DCardOverlay(handle, a.camera(), a.oneIn(4) ? nullptr : &rect),
               !openHandle(handle));
     }},
    {"DCardOverlayEx",
     [](Args& a) {
         int handle = a.handle();
         check("DCardOverlayEx",
               DCardOverlayEx(handle, a.camera(), int(a.word()), int(a.word()), int(a.word()),
                              int(a.word()), int(a.word()), int(a.word()), int(a.word()),
                              int(a.word())),
               !openHandle(handle));
     }},
    {"DCardVirt2Phys",
     [](Args& a) {
         int handle = a.handle();
         bool noAddress = a.oneIn(8), noPhysical = a.oneIn(8);
         GuardedBuffer memory(noAddress ? 0 : 4, 0, noAddress);
         GuardedBuffer physical(noPhysical ? 0 : 4, 0, noPhysical);
         check("DCardVirt2Phys",
               DCardVirt2Phys(handle, memory.data(), physical.as<uint32_t>()),
               !openHandle(handle) || noAddress || noPhysical, {&memory, &physical});
     }},
    {"DCardMask",
     [](Args& a) {
         int handle = a.handle(), width = a.side(), height = a.side();
         uint32_t size = a.oneIn(2) ? (uint32_t(std::clamp(width, 0, 800)) + 31) / 32 * 4 *
                                          uint32_t(std::clamp(height, 0, 600))
                                    : a.size() % 0x20000;
         bool absent = a.oneIn(8);
         GuardedBuffer bits(absent ? 0 : size, 0xFF, absent);
         check("DCardMask",
               DCardMask(handle, a.oneIn(4) ? 0 : int(a.word()), width, height, bits.data(),
                         absent ? a.size() : size),
               !openHandle(handle), {&bits});
     }},
    {"DCardWindowsMask",
     [](Args& a) {
         int handle = a.handle();
         RECT rect = a.rect();
         bool inverted = rect.right < rect.left || rect.bottom < rect.top;
         bool withRect = !a.oneIn(4);
         check("DCardWindowsMask", DCardWindowsMask(handle, a.window(), withRect ? &rect : nullptr),
               !openHandle(handle) || (withRect && inverted && !testModeRound));
     }},
    {"DCardWindowsMaskEx",
     [](Args& a) {
         int handle = a.handle();
         RECT rect = a.rect();
         bool inverted = rect.right < rect.left || rect.bottom < rect.top;
         int64_t width = int64_t(rect.right) - rect.left, height = int64_t(rect.bottom) - rect.top;
         size_t bytes = width >= 0 && height >= 0 && width <= 769 && height <= 576
                            ? size_t((width + 31) / 32 * 4 * height)
                            : 0;
         bool withInitial = a.oneIn(2);
         std::unique_ptr<uint8_t[]> initial(new uint8_t[bytes + 1]);
         memset(initial.get(), int(a.below(256)), bytes + 1);
         check("DCardWindowsMaskEx",
               DCardWindowsMaskEx(handle, a.window(), &rect, withInitial ? initial.get() : nullptr),
               !openHandle(handle) || (inverted && !testModeRound));
     }},
    {"TavDigGetVFWMode",
     [](Args& a) {
         Record r(a, sizeof(TavDigVFWMode));
         std::lock_guard<std::mutex> hold(captureInterface);
         check("TavDigGetVFWMode", TavDigGetVFWMode(r.buffer.as<TavDigVFWMode>()),
               r.buffer.as<TavDigVFWMode>() == nullptr, {&r.buffer});
     }},
    {"TavDigDialog",
     [](Args& a) {
         int type = a.oneIn(2) ? int(a.word()) : a.between(-1, 8);
         KeyPath key = keyPath(a);
         HWND parent = a.window();
         std::lock_guard<std::mutex> hold(captureInterface);
         check("TavDigDialog", TavDigDialog(parent, type, key.text()),
               !dialogType(type) || key.refused || type == 1 || type == 2 || type == 7,
               {&key.buffer});
     }},
    {"TavDigCapture",
     [](Args& a) {
         HWND parent = a.window();
         std::lock_guard<std::mutex> hold(captureInterface);
         // Nobody presses OK in the stand-in's dialogs: every capture is
         // cancelled or refused, and leaves nothing behind.
         HGLOBAL picture = TavDigCapture(parent);
         check("TavDigCapture", picture != nullptr, true);
         if (picture)
             GlobalFree(picture);
     }},
};

// Faults for the next requests of a random card, or the address translation.
void injectFault(Args& a)
{
    sim::Fault f;
    f.kind = static_cast<sim::Fault::Kind>(a.below(4));
    f.code = a.oneIn(10) ? sim::kTranslationFaultCode : int32_t(a.below(18)) - 1;
    static const uint32_t kStatuses[] = {1, 2, 3, 4, 0xFFFFFFFF};
    f.status = kStatuses[a.below(5)];
    f.shortBy = a.oneIn(2) ? a.below(8) : a.word();
    f.remaining = int(1 + a.below(3));
    if (f.kind == sim::Fault::Garbage) {
        // Never the frame memory's address and size of a mapping: those the
        // library takes from the driver as they are.
        if (f.code == driver::MapMemory || f.code == -1 || f.code == sim::kTranslationFaultCode)
            f.code = driver::GetReg;
        f.byteOffset = a.below(400);
        for (uint32_t n = a.below(32) + 1; n > 0; --n)
            f.bytes.push_back(uint8_t(a.word()));
    }
    sim::card(int(a.below(10))).injectFault(f);
}

// The rounds the workers run: all of them at once, the main thread setting
// up each round while they wait. The same threads serve every round, so that
// a long run does not map a new stack and allocator cache for each one.
struct Rounds {
    std::mutex lock;
    std::condition_variable changed;
    int generation = 0;
    int running = 0;
    bool stop = false;
    long callsEach = 0;
    int faultOneIn = 0;
};

bool capturesInterface(const Entry& entry)
{
    return strncmp(entry.name, "TavDig", 6) == 0;
}

// Every worker calls the card's functions; the capture interface is called
// by one of them, the capture thread, as its header asks, while the others
// go on. A capture waits for frames and a dialog for its window, so the
// capture thread picks them a sixteenth as often as the others, and keeps
// up with the rest of the round.
constexpr uint32_t kCaptureInterfaceOneIn = 16;

void worker(Rounds& rounds, uint32_t seed, bool captureThread)
{
    Args a(seed);
    std::vector<const Entry*> callers, captureCallers;
    for (const Entry& entry : kCallers)
        (capturesInterface(entry) ? captureCallers : callers).push_back(&entry);
    const uint32_t count = uint32_t(callers.size() + (captureThread ? captureCallers.size() : 0));
    int seen = 0;
    for (;;) {
        long calls;
        int faultOneIn;
        {
            std::unique_lock<std::mutex> hold(rounds.lock);
            rounds.changed.wait(hold, [&] { return rounds.stop || rounds.generation != seen; });
            if (rounds.stop)
                return;
            seen = rounds.generation;
            calls = rounds.callsEach;
            faultOneIn = rounds.faultOneIn;
        }
        // Windows of the thread's own for this round (the last round's are gone).
        a.windows.clear();
        for (int n = 0; n < 3; ++n) {
            standin::WindowSpec wanted;
            wanted.rect = {a.between(0, 500), a.between(0, 400), a.between(500, 1000),
                         a.between(400, 700)};
            a.windows.push_back(standin::createWindow(wanted));
        }
        for (long i = 0; i < calls; ++i) {
            if (faultOneIn && a.oneIn(uint32_t(faultOneIn)))
                injectFault(a);
            uint32_t pick = a.below(count);
            if (pick < callers.size())
                callers[pick]->call(a);
            else if (a.oneIn(kCaptureInterfaceOneIn))
                captureCallers[pick - callers.size()]->call(a);
            else
                --i; // another pick for this call
        }
        std::lock_guard<std::mutex> hold(rounds.lock);
        --rounds.running;
        rounds.changed.notify_all();
    }
}

void closeAll()
{
    for (int handle = 1; handle <= 10; ++handle)
        DCardExit(handle);
    for (int n = 0; n < sim::kMaxCards; ++n)
        sim::card(n).clearFaults();
}

// Test mode: Debug=1, no notice, raw frames from a directory that holds none.
void setTestMode(bool on)
{
    const char* ini = "SAA7146.INI";
    WritePrivateProfileStringA("Settings", "Debug", on ? "1" : "0", ini);
    WritePrivateProfileStringA("Settings", "DisplayDialog", "0", ini);
    std::string frames = fuzz::scratchDirectory() + "/frames";
    WritePrivateProfileStringA("Settings", "CamPath0", frames.c_str(), ini);
}

bool everyExportHasACaller(const char* exportsFile)
{
    std::ifstream list(exportsFile);
    if (!list) {
        fprintf(stderr, "api_fuzzer: cannot read %s\n", exportsFile);
        return false;
    }
    std::set<std::string> callers;
    for (const Entry& entry : kCallers)
        callers.insert(entry.name);
    bool all = true;
    std::string line;
    while (std::getline(list, line)) {
        if (line.empty() || !isalpha(static_cast<unsigned char>(line[0])))
            continue;
        std::string name = line.substr(0, line.find(' '));
        if (!callers.count(name)) {
            fprintf(stderr, "api_fuzzer: no caller for the export %s\n", name.c_str());
            all = false;
        }
    }
    return all;
}

} // namespace

int main(int argc, char** argv)
{
    long calls = 20000;
    int threads = 4;
    uint32_t seed = uint32_t(std::random_device()());
    const char* exportsFile = SAA7146_EXPORTS_FILE;
    const char* usage =
        "usage: api_fuzzer [--calls N] [--threads T] [--seed S] [--exports FILE]\n"
        "Calls every exported function with hostile arguments from T threads (4) until N\n"
        "calls (20000) are made, seeded with S (random); exit status 1 on a fault.\n";
    for (int i = 1; i < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            fputs(usage, stdout);
            return 0;
        }
        if (i + 1 == argc) {
            fprintf(stderr, "api_fuzzer: %s needs a value\n%s", argv[i], usage);
            return 2;
        }
        if (option == "--calls")
            calls = atol(argv[i + 1]);
        else if (option == "--threads")
            threads = atoi(argv[i + 1]);
        else if (option == "--seed")
            seed = uint32_t(strtoul(argv[i + 1], nullptr, 0));
        else if (option == "--exports")
            exportsFile = argv[i + 1];
        else {
            fprintf(stderr, "api_fuzzer: unknown option %s\n%s", argv[i], usage);
            return 2;
        }
    }
    if (!everyExportHasACaller(exportsFile))
        return 1;
    printf("api_fuzzer: seed %u, %ld calls, %d threads\n", seed, calls, threads);
    fflush(stdout);

    fuzz::setUpOnce(false);
    // Movable blocks stay where they are: moving a frame-sized block at every
    // unlock maps and unmaps megabytes per bitmap, which the sanitizer under
    // the i386 emulator cannot keep up for millions of calls. The tests of
    // tests/integration keep them moving.
    standin::setGlobalMemoryMoves(false);
    std::mt19937 random(seed);
    Rounds rounds;
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back(worker, std::ref(rounds), uint32_t(random()), t == 0);
    // Rounds of a few thousand calls: real cards and faults, the older
    // driver family, then test mode, over and over.
    const long perRound = std::max(1000L, calls / 30);
    long done = 0;
    for (int round = 0; done < calls; ++round) {
        const int kind = round % 3;
        closeAll();
        standin::restartWindowHandles();
        sim::setCardCount(1 + int(random() % 10));
        SetEnvironmentVariableA("OS", kind == 1 ? "Windows_95" : "Windows_NT");
        setTestMode(kind == 2);
        testModeRound = kind == 2;
        const long share = std::min(perRound, calls - done);
        std::unique_lock<std::mutex> hold(rounds.lock);
        rounds.callsEach = share / threads + 1;
        rounds.faultOneIn = kind == 2 ? 0 : 40;
        rounds.running = threads;
        ++rounds.generation;
        rounds.changed.notify_all();
        rounds.changed.wait(hold, [&] { return rounds.running == 0; });
        done += share;
        // A long run says how far it has come, every tenth of the way.
        if (calls >= 1000000 && round % 3 == 2) {
            printf("api_fuzzer: %ld calls, %ld faults so far\n", callsMade.load(), faults.load());
            fflush(stdout);
        }
    }
    {
        std::lock_guard<std::mutex> hold(rounds.lock);
        rounds.stop = true;
        rounds.changed.notify_all();
    }
    for (std::thread& thread : pool)
        thread.join();
    closeAll();
    printf("api_fuzzer: %ld calls, %ld faults\n", callsMade.load(), faults.load());
    return faults ? 1 : 0;
}
