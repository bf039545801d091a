// The preview loop, the picture window and placing the overlay.
#include "dialogs/preview.h"

#include <saa7146/dcard.h>

#include "dialogs/dialog_globals.h"
#include "dialogs/dialog_state.h"
#include "image/dib.h"

namespace {

// The picture window's client area in screen coordinates; false when the
// window is gone.
bool clientOnScreen(HWND window, RECT& rect)
{
    RECT client;
    POINT origin = {0, 0};
    if (!IsWindow(window) || !GetClientRect(window, &client) || !ClientToScreen(window, &origin))
        return false;
    rect = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    return true;
}

int previewFormat(const DigDialogState& state)
{
    if (state.yuv)
        return 24;
    int32_t bits = state.bitsPerPixel;
    return bits == 16 ? 15 : bits;
}

} // namespace

bool captureRunning()
{
    return dialogGlobals().captureRunning;
}

int placeOverlay()
{
    DigDialogState& state = dialogState();
    RECT rect;
    if (!captureRunning() || !clientOnScreen(state.pictureWindow, rect))
        return 0;
    int card = dialogGlobals().cardHandle;
    DCardWindowsMask(card, state.pictureWindow, &rect);
    return DCardOverlay(card, state.camera, &rect);
}

int runPreview(DigDialogState& state)
{
    DialogGlobals& globals = dialogGlobals();
    HWND pictureWindow = state.pictureWindow;
    RECT start{};
    clientOnScreen(pictureWindow, start);
    int shown = 0;
    while (!state.StopRequest) {
        int mode = state.picMode;
        if (mode == 0) {
            if (shown == 2 && captureRunning())
                DCardOverlay(globals.cardHandle, -1, &start);
            state.Sleep(50);
            shown = 0;
        } else if (mode == 1) {
            if (shown != 1)
                state.refreshFlag = 1;
            if (!state.refreshFlag)
                continue;
            if (!captureRunning()) {
                state.Sleep(50); // no card of a capture to digitize from
                continue;
            }
            int format = previewFormat(state);
            uint32_t bytes = 0;
            if (!DCardDigitEx(globals.cardHandle, state.camera, kPreviewWidth, kPreviewHeight, format,
                              format == 8 ? 0 : 1, globals.previewFrame, kPreviewFrameBytes, &bytes,
                              1)) {
                state.Sleep(50); // a card that fails, a camera it does not have: try again later
                continue;
            }
            if (state.StopRequest)
                continue;
            SemaphoreScope hold(state.previewLock);
            if (state.StopRequest)
                continue;
            HDC dc = GetDC(pictureWindow);
            HBITMAP bitmap =
                MakeDigDIB(dc, globals.previewFrame, kPreviewWidth, kPreviewHeight, format, 0);
            ReleaseDC(pictureWindow, dc);
            if (bitmap) {
                if (globals.previewBitmap)
                    DeleteObject(globals.previewBitmap);
                globals.previewBitmap = bitmap;
                InvalidateRect(pictureWindow, nullptr, FALSE);
                shown = 1;
            }
        } else if (mode == 2) {
            if (captureRunning())
                DCardWindowsMask(globals.cardHandle, pictureWindow, nullptr);
            if (shown != 2 || state.refreshFlag) {
                state.refreshFlag = 0;
                placeOverlay();
                shown = 2;
            } else {
                state.Sleep(100);
            }
        } else {
            state.Sleep(50); // a mode no button stands for: wait for one that does
        }
    }
    return 0;
}

namespace {

constexpr const char* kPictureClass = "SAA7146Pic";
bool pictureClassRegistered = false;

} // namespace

bool ensurePictureClass()
{
    if (pictureClassRegistered)
        return true;
    WNDCLASSA pictureClass{};
    pictureClass.style = CS_GLOBALCLASS | CS_PARENTDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    pictureClass.lpfnWndProc = pictureWindowProc;
    pictureClass.hInstance = dialogGlobals().instance;
    pictureClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    pictureClass.lpszClassName = kPictureClass;
    pictureClassRegistered = RegisterClassA(&pictureClass) != 0;
    return pictureClassRegistered;
}

void unregisterPictureClass()
{
    if (pictureClassRegistered)
        UnregisterClassA(kPictureClass, dialogGlobals().instance);
    pictureClassRegistered = false;
}

LRESULT CALLBACK pictureWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DialogGlobals& globals = dialogGlobals();
    switch (message) {
    case WM_CREATE: {
        RECT frame, client;
        if (!GetWindowRect(window, &frame) || !GetClientRect(window, &client))
            return 0;
        int w = client.right, h = client.bottom;
        if (w * 3 == h * 4)
            return 0;
        if (h * 4 < w * 3)
            w = h * 4 / 3;
        else
            h = w * 3 / 4;
        POINT corner = {frame.left, frame.top};
        ScreenToClient(GetParent(window), &corner);
        MoveWindow(window, corner.x, corner.y, w, h, FALSE);
        return 0;
    }
    case WM_DESTROY:
        if (captureRunning())
            DCardOverlay(globals.cardHandle, -1, nullptr);
        return 0;
    case WM_PAINT: {
        if (!captureRunning() || !DCardWindowsMask(globals.cardHandle, window, nullptr)) {
            ValidateRect(window, nullptr); // nothing to paint; no repeated WM_PAINT
            return 0;
        }
        RECT client;
        GetClientRect(window, &client);
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        DigDialogState& state = dialogState();
        // The bitmap is only ever looked at under the lock that the loop
        // holds while it swaps it.
        SemaphoreScope hold(state.previewLock);
        if (globals.previewBitmap) {
            HDC memory = CreateCompatibleDC(dc);
            HGDIOBJ previous = SelectObject(memory, globals.previewBitmap);
            BitBlt(dc, client.left, client.top, kPreviewWidth, kPreviewHeight, memory, 0, 0, SRCCOPY);
            SelectObject(memory, previous);
            DeleteDC(memory);
            state.refreshFlag = 1;
        }
        EndPaint(window, &paint);
        return 0;
    }
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
