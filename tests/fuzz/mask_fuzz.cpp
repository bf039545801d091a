// Clipping masks from any window stack, target rectangle and initial mask,
// and masks of the caller's of any size: a computed mask is exactly the
// pixels that no covering window hides, every mask reaches the card as it
// was sent, a rectangle the card cannot take is refused, and nothing is read
// or written past a buffer (ASan watches; guard bytes too).
#include <algorithm>
#include <cstring>
#include <vector>

#include <saa7146/dcard.h>

#include "display/cover_list.h"
#include "fuzz_setup.h"
#include "support/guarded.h"

namespace {

using harness::GuardedBuffer;
using harness::InputReader;

HWND makeWindow(const RECT& rect, DWORD style, HWND parent = nullptr)
{
    standin::WindowSpec wanted;
    wanted.rect = rect;
    wanted.style = style;
    wanted.parent = parent;
    return standin::createWindow(wanted);
}

RECT readRect(InputReader& in)
{
    int left = in.between(-200, 1200), top = in.between(-200, 1000);
    return {left, top, left + in.between(-20, 400), top + in.between(-20, 300)};
}

// Clears bits from..to-1 of a mask row, the first pixel in a byte's top bit:
// whole bytes at once, as a window may cover a row of hundreds of pixels.
void clearPixels(uint8_t* row, int from, int to)
{
    for (; from < to && from % 8; ++from)
        row[from / 8] &= uint8_t(~(0x80 >> (from % 8)));
    if (to - from >= 8) {
        memset(row + from / 8, 0, size_t((to - from) / 8));
        from += (to - from) / 8 * 8;
    }
    for (; from < to; ++from)
        row[from / 8] &= uint8_t(~(0x80 >> (from % 8)));
}

// The mask pixel by pixel from the window manager's own answers: covered
// where one of the nearest 200 visible windows above the video window's
// top-level window that meet the target lies.
std::vector<uint8_t> reference(HWND video, const RECT& target, const uint8_t* initial)
{
    HWND top = video;
    while ((GetWindowLongA(top, GWL_STYLE) & WS_CHILD) && GetParent(top))
        top = GetParent(top);
    const int width = target.right - target.left, height = target.bottom - target.top;
    const size_t row = size_t((width + 31) / 32 * 4);
    std::vector<uint8_t> mask = initial ? std::vector<uint8_t>(initial, initial + row * size_t(height))
                                        : std::vector<uint8_t>(row * size_t(height), 0xFF);
    int found = 0;
    for (HWND w = GetWindow(top, GW_HWNDPREV); w && found < kMaxCovers;
         w = GetWindow(w, GW_HWNDPREV)) {
        RECT r, meet;
        GetWindowRect(w, &r);
        if (!IsWindowVisible(w) || !IntersectRect(&meet, &r, &target))
            continue;
        ++found;
        for (int y = meet.top; y < meet.bottom; ++y)
            clearPixels(&mask[size_t(y - target.top) * row], meet.left - target.left,
                        meet.right - target.left);
    }
    return mask;
}

void windowsMask(InputReader& in)
{
    standin::restartWindowHandles();
    for (int below = in.byte() % 3; below > 0; --below)
        makeWindow(readRect(in), WS_POPUP | WS_VISIBLE);
    RECT videoRect = readRect(in);
    HWND video = makeWindow(videoRect, WS_POPUP | WS_VISIBLE);
    HWND child = makeWindow({2, 2, 120, 90}, WS_CHILD | WS_VISIBLE, video);
    const int above = in.byte() % 2 ? in.byte() % 24 : in.byte();
    for (int i = 0; i < above; ++i) {
        uint8_t kind = in.byte();
        HWND w = makeWindow(readRect(in), WS_POPUP | (kind % 7 ? WS_VISIBLE : 0));
        if (kind % 11 == 0)
            makeWindow({0, 0, 20, 20}, WS_CHILD | WS_VISIBLE, w);
    }

    // The target: a plain rectangle, any four words, or the window's client area.
    const uint8_t choice = in.byte();
    HWND asked = choice & 1 ? child : video;
    if (choice % 13 == 0)
        asked = reinterpret_cast<HWND>(static_cast<uintptr_t>(in.word()));
    RECT target = readRect(in);
    const RECT* targetArg = &target;
    if (choice % 5 == 0)
        target = {int32_t(in.word()), int32_t(in.word()), int32_t(in.word()), int32_t(in.word())};
    if (choice % 7 == 0) {
        targetArg = nullptr;
        RECT client;
        POINT origin = {0, 0};
        if (!GetClientRect(asked, &client) || !ClientToScreen(asked, &origin))
            client = {0, 0, -1, -1}; // no client area: refused
        target = {origin.x, origin.y, origin.x + client.right - client.left,
                  origin.y + client.bottom - client.top};
    }
    const int64_t width = int64_t(target.right) - target.left;
    const int64_t height = int64_t(target.bottom) - target.top;
    const bool takes = width >= 0 && height >= 0 && width <= kMaskMaxWidth &&
                       height <= kMaskMaxHeight;

    std::vector<uint8_t> initial;
    const bool withInitial = takes && in.byte() % 3 == 0;
    if (withInitial) {
        initial.resize(maskRowBytes(int(width)) * size_t(height));
        for (uint8_t& b : initial)
            b = in.byte();
    }
    const uint8_t* initialArg = withInitial ? initial.data() : nullptr;
    // An exact-size copy, so that ASan sees any read past the mask.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[initial.size() + 1]);
    if (withInitial && !initial.empty())
        initialArg = static_cast<const uint8_t*>(memcpy(exact.get(), initial.data(), initial.size()));

    int result = DCardWindowsMaskEx(1, asked, targetArg, initialArg);
    if (result != 0 && result != 1)
        __builtin_trap();
    if (result != (takes ? 1 : 0) && asked != reinterpret_cast<HWND>(0) &&
        (asked == video || asked == child))
        __builtin_trap();
    if (result && (asked == video || asked == child)) {
        if (sim::card(0).mask().bits != reference(video, target, withInitial ? initial.data() : nullptr))
            __builtin_trap();
    }
}

// A mask of the caller's: the card gets exactly its bytes.
void callersMask(InputReader& in)
{
    const int maskSwitch = in.byte() % 4 == 0 ? 0 : int32_t(in.word() | 1);
    const int width = in.between(-10, 1000);
    const int height = in.between(-10, 700);
    const uint32_t size = in.byte() % 8 == 0 ? in.word() % (kMaskAreaBytes * 2)
                                              : maskRowBytes(width > 0 ? width : 0) *
                                                    uint32_t(height > 0 ? height : 0);
    const bool absent = in.byte() % 9 == 0;
    GuardedBuffer bits(absent ? 0 : size, in.byte(), absent);
    int result = DCardMask(1, maskSwitch, width, height, bits.data(), absent ? size : uint32_t(bits.size()));
    if ((result != 0 && result != 1) || !bits.intact())
        __builtin_trap();
    if (result && maskSwitch && !absent) {
        const auto seen = sim::card(0).mask().bits;
        if (seen.size() != bits.size() || !std::equal(seen.begin(), seen.end(), bits.data()))
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        fuzz::setUpOnce(true);
        return DCardInit(0) == 1;
    }();
    if (!ready)
        __builtin_trap();
    InputReader in(data, size);
    if (in.byte() % 4 == 0)
        callersMask(in);
    else
        windowsMask(in);
    // The input's windows and the card's record of its requests go before it
    // returns: an input that leaves more allocated than it found makes the
    // fuzzer run it again and check the whole heap for leaks.
    standin::restartWindowHandles();
    sim::card(0).clearRequests();
    return 0;
}
