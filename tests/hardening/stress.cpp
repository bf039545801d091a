// The stress program: ten virtual cards, threads that digitize, read and
// write registers, talk on the I2C bus, send masks, write bitmaps and load
// the capture dialogs' settings, while others open and close the same cards.
// Run under valgrind DRD for races (ctest stress_drd) and under memcheck for
// leaks (scripts/leak-check, in cycle mode: open, digitize and close, over
// and over, then dialogs and captures).
//
//   stress [--ops N] [--threads T] [--cards C] [--seed S]   mixed operations
//   stress --cycles N [--dialogs D]                         open, digitize, close;
//                                                           D dialogs and D captures
//
// Cycle mode also prints how much the heap in use grew over the second half
// of each phase, a leak figure where valgrind is not.
//
// Exit status 1 when a call gives a result other than 0 or 1 (a handle from
// DCardInit), when a device stays open after every card is closed, or when a
// card cannot be opened and digitized again afterwards.
#include <atomic>
#include <cstdio>
#include <malloc.h>
#include <mutex>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <saa7146/dcard.h>
#include <saa7146/tavdig.h>

#include "device_files.h"
#include "fuzz/fuzz_setup.h"

namespace {

std::atomic<long> failures{0};
std::atomic<long> operations{0};
std::atomic<long> succeeded{0};

void expectResult(const char* what, int result, int success = 1)
{
    ++operations;
    if (result == success)
        ++succeeded;
    else if (result != 0 && failures++ < 20)
        fprintf(stderr, "stress: %s gave %d\n", what, result);
}

constexpr int kMode = 27; // 320 x 240 YUV 4:2:2, 153,600 bytes

// The capture interface takes one caller at a time.
std::mutex captureInterface;

void mixed(uint32_t seed, long count, int cards)
{
    std::mt19937 random(seed);
    auto below = [&](int n) { return int(random() % uint32_t(n)); };
    std::vector<uint8_t> frame(153600);
    std::vector<uint8_t> mask(size_t(320 + 31) / 32 * 4 * 240, 0xFF);
    standin::WindowSpec wanted;
    wanted.rect = {below(400), below(300), 700, 600};
    HWND window = standin::createWindow(wanted);
    const std::string bitmap = fuzz::scratchDirectory() + "/stress-" + std::to_string(seed) + ".bmp";
    for (long i = 0; i < count; ++i) {
        const int card = below(cards);
        const int handle = card + 1;
        switch (below(13)) {
        case 0: {
            int opened = DCardInit(card);
            expectResult("DCardInit", opened, handle);
            break;
        }
        case 1:
            expectResult("DCardExit", DCardExit(handle));
            break;
        case 2: {
            uint32_t bytes = 0;
            expectResult("DCardDigit", DCardDigit(handle, below(2), kMode, frame.data(),
                                                  uint32_t(frame.size()), &bytes, below(2)));
            break;
        }
        case 3: {
            int value = 0;
            expectResult("DCardGetReg", DCardGetReg(handle, below(2), 0x70, &value));
            expectResult("DCardSetReg", DCardSetReg(handle, below(2), 0x70, value ^ 1));
            break;
        }
        case 4: {
            int value = 0;
            expectResult("DCardGetStringReg", DCardGetStringReg(handle, 0, "Brightness", &value));
            expectResult("DCardSetStringReg", DCardSetStringReg(handle, 0, "Hue", below(100)));
            break;
        }
        case 5: {
            uint8_t bytes[4] = {1, 2, 3, 4};
            expectResult("DCardI2CTransmit", DCardI2CTransmit(handle, 100, 0x9C, 0x10, bytes, 4));
            expectResult("DCardI2CReceive", DCardI2CReceive(handle, 100, 0x9C, 0x10, bytes, 4));
            break;
        }
        case 6: {
            int inputs = 0;
            expectResult("DCardSetOutputs", DCardSetOutputs(handle, below(16)));
            expectResult("DCardGetInputs", DCardGetInputs(handle, &inputs));
            break;
        }
        case 7:
            expectResult("DCardMask", DCardMask(handle, 1, 320, 240, mask.data(),
                                                uint32_t(mask.size())));
            break;
        case 8: {
            RECT target = {10, 10, 330, 250};
            expectResult("DCardWindowsMask", DCardWindowsMask(handle, window, &target));
            break;
        }
        case 9:
            expectResult("DCardSaveDigBMP",
                         DCardSaveDigBMP(handle, 0, 64, 48, below(2) ? 8 : 24, bitmap.c_str()));
            break;
        case 10: {
            DCardMemoryConfig config = {sizeof(config), 0, 0, 0, 0, 0};
            expectResult("DCardGetMemoryConfig", DCardGetMemoryConfig(handle, &config));
            DCardParam param = {};
            param.size = sizeof(param);
            expectResult("DCardGetParamEx", DCardGetParamEx(handle, &param));
            break;
        }
        case 11: {
            // The capture dialogs' settings, read from the registry and put
            // into card 0's register sets, and the capture format.
            std::lock_guard<std::mutex> hold(captureInterface);
            TavDigVFWMode mode = {};
            mode.size = sizeof(mode);
            expectResult("TavDigDialog", TavDigDialog(nullptr, TAVDIG_NONE, nullptr));
            expectResult("TavDigGetVFWMode", TavDigGetVFWMode(&mode));
            break;
        }
        default: {
            RECT rect = {0, 0, 320, 240};
            expectResult("DCardOverlay", DCardOverlay(handle, below(2) ? 0 : -1, &rect));
            break;
        }
        }
    }
}

// Every card opens again and digitizes a frame, and nothing stays open.
bool cardsStillWork(int cards)
{
    bool ok = true;
    std::vector<uint8_t> frame(153600);
    for (int card = 0; card < cards; ++card) {
        uint32_t bytes = 0;
        if (DCardInit(card) != card + 1 ||
            !DCardDigit(card + 1, 0, kMode, frame.data(), uint32_t(frame.size()), &bytes, 0) ||
            bytes != frame.size() || !DCardExit(card + 1)) {
            fprintf(stderr, "stress: card %d no longer opens and digitizes\n", card);
            ok = false;
        }
    }
    if (sim::openDeviceCount() != 0) {
        fprintf(stderr, "stress: %d devices left open\n", sim::openDeviceCount());
        ok = false;
    }
    return ok;
}

size_t heapInUse()
{
    struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd;
}

// The records that the stand-in and the virtual card keep for tests are
// bounded but large: they are emptied where the heap is measured, so that
// the figure is the library's own.
size_t heapWithoutRecords()
{
    standin::clearMessageBoxes();
    standin::clearRedraws();
    standin::clearShownDialogs();
    standin::clearBlits();
    if (sim::openDeviceCount() == 0)
        sim::closeAllDevices(); // the counts and the record of opens
    return heapInUse();
}

// Runs step(0..count-1) and says how much the heap in use grew over the
// second half of the steps, once every cache and record has had the first
// half to fill.
template <class Step>
void measuredPhase(const char* what, long count, Step step)
{
    if (count <= 0)
        return;
    size_t half = 0;
    for (long i = 0; i < count; ++i) {
        if (i == count / 2)
            half = heapWithoutRecords();
        step(i);
    }
    long grown = long(heapWithoutRecords()) - long(half);
    printf("stress: %s: heap in use grew by %ld bytes over the last %ld of %ld\n", what, grown,
           count - count / 2, count);
}

void prepare(int cards)
{
    fuzz::setUpOnce(false);
    sim::setCardCount(cards);
    // A quarter of the default frame memory still holds every frame asked for
    // here, and keeps a run under valgrind small.
    sim::CardSettings settings = fuzz::fuzzSettings(false);
    for (int card = 0; card < cards; ++card)
        sim::card(card).configure(settings);
}

} // namespace

int main(int argc, char** argv)
{
    long ops = 20000, cycles = 0, dialogs = 0;
    int threads = 8, cards = 10;
    uint32_t seed = 7146;
    const char* usage =
        "usage: stress [--ops N] [--threads T] [--cards C] [--seed S]   mixed operations\n"
        "       stress --cycles N [--dialogs D]   open, digitize, close; D dialogs and captures\n"
        "Exit status 1 on a result other than 0 or 1, a device left open, or a card that\n"
        "cannot be used again afterwards.\n";
    for (int i = 1; i < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            fputs(usage, stdout);
            return 0;
        }
        if (i + 1 == argc) {
            fprintf(stderr, "stress: %s needs a value\n%s", argv[i], usage);
            return 2;
        }
        long value = strtol(argv[i + 1], nullptr, 0);
        if (option == "--ops")
            ops = value;
        else if (option == "--threads")
            threads = int(value);
        else if (option == "--cards")
            cards = int(value);
        else if (option == "--seed")
            seed = uint32_t(value);
        else if (option == "--cycles")
            cycles = value;
        else if (option == "--dialogs")
            dialogs = value;
        else {
            fprintf(stderr, "stress: unknown option %s\n%s", argv[i], usage);
            return 2;
        }
    }
    if (cards < 1 || cards > 10 || threads < 1) {
        fprintf(stderr, "stress: 1..10 cards and at least one thread\n");
        return 2;
    }
    prepare(cards);

    if (cycles > 0) {
        // Open, digitize and close, over every card in turn.
        std::vector<uint8_t> frame(153600);
        measuredPhase("open, digitize, close", cycles, [&](long i) {
            const int card = int(i % cards);
            uint32_t bytes = 0;
            expectResult("DCardInit", DCardInit(card), card + 1);
            expectResult("DCardDigit", DCardDigit(card + 1, 0, kMode, frame.data(),
                                                  uint32_t(frame.size()), &bytes, 0));
            expectResult("DCardExit", DCardExit(card + 1));
        });
        // Nobody answers the dialogs: each is cancelled, and so is each
        // capture, which leaves nothing behind.
        long bad = 0;
        measuredPhase("dialogs and captures", dialogs, [&](long i) {
            static const int kTypes[] = {TAVDIG_FORMAT, TAVDIG_SOURCE, TAVDIG_NONE, TAVDIG_FULL};
            int result = TavDigDialog(nullptr, kTypes[i % 4], nullptr);
            HGLOBAL picture = TavDigCapture(nullptr);
            if ((result != 0 && result != 1) || picture)
                ++bad;
            if (picture)
                GlobalFree(picture);
        });
        bool ok = cardsStillWork(cards) && failures == 0 && succeeded == operations && bad == 0;
        printf("stress: %ld cycles, %ld calls, %ld failed; %ld dialogs and captures, %ld bad\n",
               cycles, operations.load(), operations.load() - succeeded.load(), dialogs, bad);
        return ok ? 0 : 1;
    }

    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back(mixed, seed + uint32_t(t), ops / threads + 1, cards);
    for (std::thread& thread : pool)
        thread.join();
    for (int handle = 1; handle <= 10; ++handle)
        DCardExit(handle);
    bool ok = cardsStillWork(cards) && failures == 0;
    printf("stress: %ld operations on %d cards from %d threads, %ld succeeded, %ld bad results\n",
           operations.load(), cards, threads, succeeded.load(), failures.load());
    return ok ? 0 : 1;
}
