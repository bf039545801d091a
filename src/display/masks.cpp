// Clipping masks: keep the card's live video off the windows that lie above
// the video window.
#include <algorithm>
#include <cstring>

#include "card/digit_card.h"
#include "card/send_request.h"
#include "card/switches.h"
#include "display/card_display.h"
#include "display/cover_list.h"

namespace {

constexpr UINT kCoverRedraw = RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN |
                              RDW_UPDATENOW | RDW_FRAME;
// Bounds on walks that another process's windows could make long.
constexpr int kMaxAncestors = 256;
constexpr int kMaxWindowsWalked = 65536;

// The bits of pixels [from, to) of a 32-pixel word (0 <= from <= to <= 32),
// as the word lies in memory: the leftmost pixel in the top bit of its byte.
inline uint32_t wordMask(uint32_t from, uint32_t to)
{
    uint32_t high = from >= 32 ? 0 : 0xFFFFFFFFu >> from;
    uint32_t low = to >= 32 ? 0 : 0xFFFFFFFFu >> to;
    return __builtin_bswap32(high & ~low);
}

inline void clearWord(uint8_t* word, uint32_t mask)
{
    uint32_t value;
    memcpy(&value, word, sizeof(value));
    value &= ~mask;
    memcpy(word, &value, sizeof(value));
}

inline void clearPair(uint8_t* words, uint64_t mask)
{
    uint64_t value;
    memcpy(&value, words, sizeof(value));
    value &= ~mask;
    memcpy(words, &value, sizeof(value));
}

bool sameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

void ClearCoverBits(uint8_t* bits, uint32_t rowBytes, const RECT& target, const RECT& covered)
{
    const uint32_t x = static_cast<uint32_t>(covered.left - target.left);
    const uint32_t y = static_cast<uint32_t>(covered.top - target.top);
    const uint32_t width = static_cast<uint32_t>(covered.right - covered.left);
    const uint32_t lines = static_cast<uint32_t>(covered.bottom - covered.top);
    if (!width)
        return;
    const uint32_t end = x + width;
    const uint32_t first = x / 32, last = (end - 1) / 32;
    uint8_t* word = bits + size_t(y) * rowBytes + 4 * size_t(first);
    // Most covers are small windows over one or two words of a row; each
    // width has a loop of its own, with no call and no test inside, which on
    // i386 keeps every value of the loop in a register.
    if (first == last) {
        const uint32_t mask = wordMask(x % 32, end - 32 * first);
        for (uint32_t line = 0; line < lines; ++line, word += rowBytes)
            clearWord(word, mask);
        return;
    }
    const uint32_t head = wordMask(x % 32, 32);
    const uint32_t tail = wordMask(0, end - 32 * last);
    const size_t between = 4 * size_t(last - first - 1);
    if (!between) {
        // Both words in one 64-bit operation (two on i386): the first word
        // in the low half, as the two lie in memory on x86.
        const uint64_t pair = uint64_t(head) | uint64_t(tail) << 32;
        for (uint32_t line = 0; line < lines; ++line, word += rowBytes)
            clearPair(word, pair);
        return;
    }
    uint8_t* tailWord = word + 4 + between;
    // One whole word between is stored as it is: memset called for four
    // bytes a line costs more than the line's other work.
    for (uint32_t line = 0; line < lines; ++line, word += rowBytes, tailWord += rowBytes) {
        clearWord(word, head);
        if (between == 4)
            clearWord(word + 4, 0xFFFFFFFFu);
        else
            memset(word + 4, 0, between);
        clearWord(tailWord, tail);
    }
}

void CollectCovers(HWND top, const RECT& target, CoverList& list)
{
    list.count = 0;
    HWND current = top;
    for (int walked = 0; walked < kMaxWindowsWalked; ++walked) {
        current = GetWindow(current, GW_HWNDPREV);
        if (!current)
            return;
        // Most top-level windows of a desktop are hidden: their rectangles
        // are not asked for.
        if (!IsWindowVisible(current))
            continue;
        RECT rect = {0, 0, 0, 0};
        GetWindowRect(current, &rect);
        // Met here rather than through IntersectRect: a call into the
        // window manager's library for each window costs more than this.
        const RECT meet = {std::max(rect.left, target.left), std::max(rect.top, target.top),
                           std::min(rect.right, target.right), std::min(rect.bottom, target.bottom)};
        if (meet.left >= meet.right || meet.top >= meet.bottom)
            continue;
        list.windows[list.count] = current;
        list.covered[list.count] = meet;
        if (++list.count == kMaxCovers)
            return;
    }
}

void CollectCoverList(HWND window, const RECT& target, CoverList& list)
{
    list.width = target.right - target.left;
    list.height = target.bottom - target.top;
    list.rowBytes = maskRowBytes(list.width);
    list.bits = nullptr;
    list.target = target;
    // Child windows inside the video window's own top-level window never mask.
    HWND top = window;
    for (int depth = 0; depth < kMaxAncestors; ++depth) {
        if (!(static_cast<DWORD>(GetWindowLongA(top, GWL_STYLE)) & WS_CHILD))
            break;
        HWND parent = reinterpret_cast<HWND>(GetWindowLongPtrA(top, GWLP_HWNDPARENT));
        if (!parent)
            break;
        top = parent;
    }
    CollectCovers(top, target, list);
}

void ClearCovers(uint8_t* bits, bool fill, CoverList& list)
{
    if (fill)
        memset(bits, 0xFF, size_t(list.rowBytes) * size_t(list.height));
    list.bits = bits;
    for (int i = 0; i < list.count; ++i)
        ClearCoverBits(bits, list.rowBytes, list.target, list.covered[i]);
}

bool coversDiffer(const CoverList& a, const CoverList& b)
{
    if (!sameRect(a.target, b.target) || a.count != b.count)
        return true;
    for (int i = 0; i < a.count; ++i)
        if (a.windows[i] != b.windows[i] || !sameRect(a.covered[i], b.covered[i]))
            return true;
    return false;
}

namespace {

// The Mask request of a mask in bits; the caller holds the card's lock.
int sendMask(DigitCard& card, int maskSwitch, int width, int height, const void* bits,
             uint32_t size)
{
    auto request = driver::makeRequest<driver::MaskRequest>();
    request.maskSwitch = maskSwitch;
    if (maskSwitch != 0) {
        request.width = width;
        request.height = height;
        request.bits = driver::addressWord(bits);
        request.size = size;
        // The newer family reads the mask from the frame memory; the older
        // one from the address in the request.
        if (bits && !legacyDriver) {
            FrameMapping memory = card.mapping();
            if (!memory.frameMemory ||
                uint64_t(card.memoryConfig.maskOffset) + size > memory.frameMemorySize)
                return 0;
            memcpy(memory.frameMemory + card.memoryConfig.maskOffset, bits, size);
        }
    }
    return sendRequest(request, card.device);
}

} // namespace

int cardMask(DigitCard& card, int maskSwitch, int width, int height, const void* bits,
             uint32_t size)
{
    if (testMode)
        return 1;
    SemaphoreScope hold(card.cardLock);
    return sendMask(card, maskSwitch, width, height, bits, size);
}

int cardWindowsMask(DigitCard& card, HWND window, const RECT* target, const void* initialMask)
{
    if (testMode)
        return 1;
    CardDisplay& display = cardDisplay(card);
    CoverList redraw;
    redraw.count = 0;
    {
        SemaphoreScope hold(card.cardLock);
        RECT area;
        if (target) {
            area = *target;
        } else {
            // The client area in screen coordinates; a window whose client
            // area cannot be read gives no mask at all.
            RECT client;
            POINT origin = {0, 0};
            if (!GetClientRect(window, &client) || !ClientToScreen(window, &origin))
                return 0;
            area = {origin.x, origin.y, origin.x + (client.right - client.left),
                    origin.y + (client.bottom - client.top)};
        }
        const int64_t width = int64_t(area.right) - area.left;
        const int64_t height = int64_t(area.bottom) - area.top;
        if (width < 0 || height < 0 || width > kMaskMaxWidth || height > kMaskMaxHeight)
            return 0;
        const uint32_t bytes = maskRowBytes(int(width)) * uint32_t(height);
        CoverList list;
        CollectCoverList(window, area, list);
        // The mask built last, of the same covers over ones, is this one: in
        // the preview loop's steady state only the walk is made again.
        const bool changed = coversDiffer(list, display.lastCover);
        if (initialMask || changed || !display.maskOfLastCover) {
            display.maskOfLastCover = false;
            if (initialMask)
                memcpy(display.maskBits, initialMask, bytes);
            ClearCovers(display.maskBits, initialMask == nullptr, list);
        }
        if (!sendMask(card, 1, int(width), int(height), display.maskBits, bytes))
            return 0;
        if (changed) {
            display.lastCover = list;
            redraw = list;
        }
        display.maskOfLastCover = initialMask == nullptr;
    }
    // Repainted after the card's lock is released: a covering window of
    // another thread that is itself waiting for this card then paints. Only
    // the caller's own windows are painted at once; another thread's are
    // made invalid, for that thread to paint when it next takes a message,
    // because waiting for its painting could wait for a thread that waits
    // for this one (the capture dialog's thread stopping the preview loop
    // while the loop repaints the dialog's own drop-down list).
    const DWORD self = GetCurrentThreadId();
    for (int i = 0; i < redraw.count; ++i) {
        HWND cover = redraw.windows[i];
        bool own = GetWindowThreadProcessId(cover, nullptr) == self;
        RedrawWindow(cover, nullptr, nullptr, own ? kCoverRedraw : kCoverRedraw & ~RDW_UPDATENOW);
    }
    return 1;
}
