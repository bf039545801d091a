// The settings dialogs: initialisation of each group of controls, what
// every control does, OK with the final picture, and Cancel.
#include "dialogs/dialog_proc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <saa7146/dcard.h>

#include "dialogs/dialog_globals.h"
#include "dialogs/dialog_state.h"
#include "dialogs/preview.h"
#include "image/dib.h"
#include "resources/resource_ids.h"

extern "C" int DCARD_CALL DCardGetCameraRecord(int handle, int camera, DCardCameraRecord* record);

namespace {

const int kWidths[9] = {768, 640, 512, 384, 320, 256, 192, 160, 128};
const int kHeights[9] = {576, 480, 384, 288, 240, 192, 144, 120, 96};
// Signal buttons 200..204 and the signal types they stand for.
const int kSignalOfButton[5] = {1, 3, 4, 0, 2};
// The largest final picture the dialogs digitize: the settings come from the
// registry, where anything may stand.
constexpr int kLargestSide = 4096;

bool checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

// Index of the last checked button of first..first+count-1, or fallback.
int lastChecked(HWND dialog, int first, int count, int fallback)
{
    int found = fallback;
    for (int i = 0; i < count; ++i)
        if (checked(dialog, first + i))
            found = i;
    return found;
}

// The scroll bar runs 0..max; a signed field's values sit half below its
// position, so that the bar's ends are the field's two ends (-128 and 127
// for 8 bits).
void registerRange(const DCardRegInfo& info, uint32_t& max, uint32_t& half)
{
    if (info.width >= 32 || info.width < 0) {
        max = 0xFFFFFFFFu;
        half = 0x80000000u;
    } else {
        max = (1u << info.width) - 1;
        half = (max >> 1) + 1;
    }
    if (!info.isSigned)
        half = 0;
}

// A value the register page writes: within what the field's bits hold, and
// within its lowest and highest meant values where the descriptor gives an
// order to them.
int32_t withinField(const DCardRegInfo& info, int64_t value)
{
    uint32_t max, half;
    registerRange(info, max, half);
    int64_t lowest = -int64_t(half), highest = int64_t(max) - int64_t(half);
    int64_t meantLow = info.isSigned ? int64_t(info.minValue) : int64_t(uint32_t(info.minValue));
    int64_t meantHigh = info.isSigned ? int64_t(info.maxValue) : int64_t(uint32_t(info.maxValue));
    if (meantLow <= meantHigh) {
        lowest = std::max(lowest, meantLow);
        highest = std::min(highest, meantHigh);
    }
    if (lowest <= highest)
        value = std::clamp(value, lowest, highest);
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

int listSelection(HWND dialog)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, IDC_REGISTER_LIST, CB_GETCURSEL, 0, 0));
}

int refreshRegisterPage(HWND dialog, int selection)
{
    DigDialogState& state = dialogState();
    if (selection < 0)
        selection = listSelection(dialog);
    DCardRegInfo info;
    if (selection < 0 || !registerInfo(selection, info))
        return 0;
    int camera = state.selectCamera(dialog);
    if (camera < 0)
        return 0;
    int current = 0;
    if (!DCardGetReg(1, camera, static_cast<int>(info.regNum), &current))
        return 0;
    uint32_t max, half;
    registerRange(info, max, half);
    double defValue = info.isSigned ? double(info.defValue) : double(uint32_t(info.defValue));
    char text[64];
    snprintf(text, sizeof(text), "%.2lf%s", defValue * info.scale, info.unit ? info.unit : "");
    SetDlgItemTextA(dialog, IDC_REGISTER_DEFAULT, text);
    snprintf(text, sizeof(text), "%.2lf", double(current) * info.scale);
    SetDlgItemTextA(dialog, IDC_REGISTER_VALUE, text);
    HWND scroll = GetDlgItem(dialog, IDC_REGISTER_SCROLL);
    SetScrollRange(scroll, SB_CTL, 0, static_cast<int>(max), FALSE);
    uint32_t position = uint32_t(current) + half;
    SetScrollPos(scroll, SB_CTL, static_cast<int>(position), TRUE);
    return 1;
}

void initSizeAndColour(HWND dialog, DigDialogState& state)
{
    int widthIndex = 0, heightIndex = 0;
    char text[16];
    for (int i = 0; i < 9; ++i) {
        snprintf(text, sizeof(text), "%d", kWidths[i]);
        SetDlgItemTextA(dialog, IDC_WIDTH_FIRST + i, text);
        if (kWidths[i] == state.width)
            widthIndex = i;
        snprintf(text, sizeof(text), "%d", kHeights[i]);
        SetDlgItemTextA(dialog, IDC_HEIGHT_FIRST + i, text);
        if (kHeights[i] == state.height)
            heightIndex = i;
        if (state.squarePixel)
            EnableWindow(GetDlgItem(dialog, IDC_HEIGHT_FIRST + i), FALSE);
    }
    if (state.squarePixel)
        heightIndex = widthIndex;
    CheckRadioButton(dialog, IDC_WIDTH_FIRST, IDC_WIDTH_FIRST + 8, IDC_WIDTH_FIRST + widthIndex);
    CheckRadioButton(dialog, IDC_HEIGHT_FIRST, IDC_HEIGHT_FIRST + 8, IDC_HEIGHT_FIRST + heightIndex);
    CheckDlgButton(dialog, IDC_SQUARE_PIXEL, state.squarePixel ? BST_CHECKED : BST_UNCHECKED);
    int colour;
    switch (state.bitsPerPixel) {
    case 8:
        colour = IDC_COLOR_8;
        break;
    case 15:
        colour = IDC_COLOR_15;
        break;
    case 24:
        colour = IDC_COLOR_24;
        break;
    default:
        colour = IDC_COLOR_16;
        break;
    }
    if (state.yuv)
        colour = IDC_COLOR_YUV;
    CheckRadioButton(dialog, IDC_COLOR_8, IDC_COLOR_YUV, colour);
}

// The register list drops down as wide as its longest label, scroll bar and
// edges included.
void fitRegisterList(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_REGISTER_LIST);
    if (!list)
        return;
    HDC dc = GetDC(list);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    LONG widest = 0;
    DCardRegInfo info;
    for (int index = 0; index < kRegisterIndexLimit && registerInfo(index, info); ++index) {
        SIZE size = {0, 0};
        const char* label = info.label ? info.label : "";
        if (GetTextExtentPoint32A(dc, label, int(strlen(label)), &size) && size.cx > widest)
            widest = size.cx;
    }
    if (previous)
        SelectObject(dc, previous);
    ReleaseDC(list, dc);
    int edges = 2 * GetSystemMetrics(SM_CXEDGE) + 4;
    SendMessageA(list, CB_SETDROPPEDWIDTH, WPARAM(widest + GetSystemMetrics(SM_CXVSCROLL) + edges), 0);
}

void initSource(HWND dialog, DigDialogState& state)
{
    int signalButton = 1; // PAL
    for (int i = 0; i < 5; ++i)
        if (kSignalOfButton[i] == state.signalType)
            signalButton = i;
    CheckRadioButton(dialog, IDC_SIGNAL_FIRST, IDC_SIGNAL_FIRST + 4, IDC_SIGNAL_FIRST + signalButton);

    SendDlgItemMessageA(dialog, IDC_REGISTER_LIST, CB_RESETCONTENT, 0, 0);
    DCardRegInfo info;
    for (int index = 0; index < kRegisterIndexLimit && registerInfo(index, info); ++index)
        SendDlgItemMessageA(dialog, IDC_REGISTER_LIST, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(info.label ? info.label : ""));
    SendDlgItemMessageA(dialog, IDC_REGISTER_LIST, CB_SETCURSEL, 0, 0);
    fitRegisterList(dialog);

    bool readable[kCameraCount] = {};
    for (int i = 0; i < kCameraCount; ++i) {
        DCardCameraRecord record{};
        record.size = sizeof(record);
        record.name[0] = '\0';
        HWND button = GetDlgItem(dialog, IDC_CAMERA_FIRST + i);
        readable[i] = DCardGetCameraRecord(1, i, &record) != 0;
        if (readable[i]) {
            record.name[sizeof(record.name) - 1] = '\0';
            SetWindowTextA(button, record.name);
        } else {
            SetWindowTextA(button, "-");
        }
        EnableWindow(button, readable[i] ? TRUE : FALSE);
    }
    // The stored camera's button is checked, and a disabled button never is
    // (clicking another would leave it checked beside that one): then the
    // first camera that can be read. The stored number comes from the
    // registry and is brought into range first.
    int camera = state.camera >= 0 && state.camera < kCameraCount ? int(state.camera) : 0;
    if (!readable[camera]) {
        camera = -1;
        for (int i = 0; i < kCameraCount && camera < 0; ++i)
            if (readable[i])
                camera = i;
    }
    CheckRadioButton(dialog, IDC_CAMERA_FIRST, IDC_CAMERA_FIRST + 9,
                     camera >= 0 ? IDC_CAMERA_FIRST + camera : 0);
    refreshRegisterPage(dialog, 0);
}

BOOL initDialog(HWND dialog)
{
    DigDialogState& state = dialogState();
    state.cancelFlag = 0;
    state.confirmed = false;
    state.ending = false;
    if (state.dialogType & 1)
        initSizeAndColour(dialog, state);
    if (state.dialogType & 2)
        initSource(dialog, state);
    if ((state.dialogType & 7) == 7) {
        state.pictureWindow = GetDlgItem(dialog, IDC_PICTURE);
        CheckRadioButton(dialog, IDC_PREVIEW_FIRST, IDC_PREVIEW_FIRST + 2,
                         IDC_PREVIEW_FIRST + state.picMode);
        state.Start();
    }
    return TRUE;
}

void readSignal(HWND dialog, DigDialogState& state)
{
    for (int i = 0; i < 5; ++i)
        if (checked(dialog, IDC_SIGNAL_FIRST + i))
            state.signalType = kSignalOfButton[i];
    if (state.dialogType == 7) {
        if (captureRunning())
            DCardSetCameraSignal(dialogGlobals().cardHandle, state.camera, state.signalType);
        state.refreshFlag = 1;
    }
}

void readColour(HWND dialog, DigDialogState& state)
{
    state.yuv = 0;
    const int kBits[5] = {8, 15, 16, 24, 16};
    for (int i = 0; i < 5; ++i) {
        if (checked(dialog, IDC_COLOR_8 + i)) {
            state.bitsPerPixel = kBits[i];
            if (i == 4)
                state.yuv = 1;
        }
    }
    state.refreshFlag = 1;
}

void readPictureMode(HWND dialog, DigDialogState& state)
{
    if (state.picMode < 0 || state.picMode > 2)
        state.picMode = 0;
    for (int i = 0; i < 3; ++i)
        if (checked(dialog, IDC_PREVIEW_FIRST + i))
            state.picMode = i;
}

void squarePixelStep(HWND dialog)
{
    bool on = checked(dialog, IDC_SQUARE_PIXEL);
    for (int i = 0; i < 9; ++i)
        EnableWindow(GetDlgItem(dialog, IDC_HEIGHT_FIRST + i), on ? FALSE : TRUE);
    if (on) {
        int index = lastChecked(dialog, IDC_WIDTH_FIRST, 9, 0);
        CheckRadioButton(dialog, IDC_HEIGHT_FIRST, IDC_HEIGHT_FIRST + 8, IDC_HEIGHT_FIRST + index);
    }
}

// The value typed into the edit field, in the register's own numbering and
// brought within the field; false for text that is not one number or a
// value that does not fit 32 bits.
bool typedValue(HWND dialog, const DCardRegInfo& info, int32_t& value)
{
    char text[39];
    GetDlgItemTextA(dialog, IDC_REGISTER_VALUE, text, sizeof(text));
    double number;
    if (sscanf(text, "%lf", &number) != 1)
        return false;
    double scaled = number / info.scale;
    if (!std::isfinite(scaled))
        return false;
    double truncated = std::trunc(scaled);
    if (truncated < -2147483648.0 || truncated > 4294967295.0)
        return false;
    value = withinField(info, static_cast<int64_t>(truncated));
    return true;
}

void setStep(HWND dialog)
{
    int selection = listSelection(dialog);
    DCardRegInfo info;
    int32_t value;
    if (selection < 0 || !registerInfo(selection, info) || !typedValue(dialog, info, value))
        return;
    dialogState().storeRegisterValue(dialog, value);
    refreshRegisterPage(dialog, selection);
}

void scrollStep(HWND dialog, WPARAM wParam)
{
    int selection = listSelection(dialog);
    DCardRegInfo info;
    if (selection < 0 || !registerInfo(selection, info))
        return;
    uint32_t max, half;
    registerRange(info, max, half);
    int64_t p = GetScrollPos(GetDlgItem(dialog, IDC_REGISTER_SCROLL), SB_CTL);
    switch (LOWORD(wParam)) {
    case SB_LINELEFT:
        p -= 1;
        break;
    case SB_LINERIGHT:
        p += 1;
        break;
    case SB_PAGELEFT:
        p -= max / 20;
        break;
    case SB_PAGERIGHT:
        p += max / 20;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        p = HIWORD(wParam);
        break;
    case SB_LEFT:
        p = 0;
        break;
    case SB_RIGHT:
        p = max;
        break;
    default:
        break;
    }
    if (p < 0)
        p = 0;
    if (uint64_t(p) > max)
        p = max;
    int32_t value = withinField(info, p - int64_t(half));
    dialogState().storeRegisterValue(dialog, value);
    refreshRegisterPage(dialog, selection);
}

// After a refused final picture the preview goes on, unless the dialog was
// ended meanwhile (a Cancel dispatched by the message box's own loop).
void resumePreview(DigDialogState& state)
{
    if (!state.ending)
        state.Start();
}

// The final picture of the full dialog into the current DIB block; 1 when
// it is there.
int snapshot(HWND dialog)
{
    DigDialogState& state = dialogState();
    if (state.yuv) {
        showDialogMessage(dialog, IDS_NO_YUV_BITMAP);
        return 0;
    }
    state.Stop();
    const int32_t width = state.width, height = state.height, bits = state.bitsPerPixel;
    int bytesPerPixel = (bits + 7) / 8;
    bool sane = width > 0 && width <= kLargestSide && height > 0 && height <= kLargestSide &&
                bytesPerPixel > 0 && bytesPerPixel <= 4;
    if (!sane || !captureRunning()) {
        showDialogMessage(dialog, IDS_DIGIT_ERROR);
        resumePreview(state);
        return 0;
    }
    uint32_t size = uint32_t(width) * uint32_t(height) * uint32_t(bytesPerPixel) + 20;
    // Zeroed: what the card leaves unfilled (test mode without a file) is
    // black in the host's picture, never old memory.
    auto* buffer = static_cast<uint8_t*>(calloc(1, size));
    if (!buffer) {
        showDialogMessage(dialog, IDS_MEMORY_ERROR);
        resumePreview(state);
        return 0;
    }
    int mode = bits == 16 ? 15 : bits;
    uint32_t bytes = 0;
    if (!DCardDigitEx(dialogGlobals().cardHandle, state.camera, width, height, mode,
                      mode == 8 ? 0 : 1, buffer, size, &bytes, 1)) {
        free(buffer);
        showDialogMessage(dialog, IDS_DIGIT_ERROR);
        resumePreview(state);
        return 0;
    }
    HDC dc = GetDC(state.pictureWindow);
    MakeDigDIB(dc, buffer, width, height, mode, 1);
    ReleaseDC(state.pictureWindow, dc);
    if (!currentDibBlock()) {
        showDialogMessage(dialog, IDS_MEMORY_ERROR);
        free(buffer);
        resumePreview(state);
        return 0;
    }
    deletePreviewBitmap();
    free(buffer);
    return 1;
}

void okStep(HWND dialog)
{
    DigDialogState& state = dialogState();
    state.Stop();
    if (state.dialogType & 1) {
        state.width = kWidths[lastChecked(dialog, IDC_WIDTH_FIRST, 9, 0)];
        state.height = kHeights[lastChecked(dialog, IDC_HEIGHT_FIRST, 9, 0)];
        state.squarePixel = checked(dialog, IDC_SQUARE_PIXEL) ? 1 : 0;
        readColour(dialog, state);
    }
    if (state.dialogType & 2) {
        state.camera = lastChecked(dialog, IDC_CAMERA_FIRST, kCameraCount, state.camera);
        state.refreshFlag = 1;
        readSignal(dialog, state);
        DCardSetCameraSignal(1, state.camera, state.signalType);
    }
    if (state.dialogType == 7 && !snapshot(dialog))
        return;
    state.saveSettings();
    state.confirmed = true;
    state.ending = true;
    EndDialog(dialog, 0);
}

void cancelStep(HWND dialog)
{
    DigDialogState& state = dialogState();
    state.Stop();
    RECT rect;
    if (captureRunning() && GetWindowRect(dialog, &rect))
        DCardOverlay(dialogGlobals().cardHandle, -1, &rect);
    state.cancelFlag = 1;
    state.ending = true;
    EndDialog(dialog, 0);
}

BOOL command(HWND dialog, WPARAM wParam, LPARAM lParam)
{
    DigDialogState& state = dialogState();
    int id = LOWORD(wParam);
    if (id == IDOK) {
        okStep(dialog);
    } else if (id == IDCANCEL) {
        cancelStep(dialog);
    } else if (id >= IDC_CAMERA_FIRST && id < IDC_CAMERA_FIRST + kCameraCount) {
        refreshRegisterPage(dialog, -1);
    } else if (id >= IDC_SIGNAL_FIRST && id < IDC_SIGNAL_FIRST + 5) {
        readSignal(dialog, state);
    } else if (id == IDC_REGISTER_LIST) {
        if (HIWORD(wParam) == CBN_SELCHANGE) {
            int selection = static_cast<int>(
                SendMessageA(reinterpret_cast<HWND>(lParam), CB_GETCURSEL, 0, 0));
            if (selection >= 0)
                refreshRegisterPage(dialog, selection);
        }
    } else if (id == IDC_REGISTER_DEFAULTS) {
        state.registerDefaults(dialog);
        refreshRegisterPage(dialog, -1);
    } else if (id == IDC_REGISTER_SET) {
        setStep(dialog);
    } else if (id >= IDC_WIDTH_FIRST && id < IDC_WIDTH_FIRST + 9) {
        if (checked(dialog, IDC_SQUARE_PIXEL))
            CheckRadioButton(dialog, IDC_HEIGHT_FIRST, IDC_HEIGHT_FIRST + 8, id + 50);
    } else if (id >= IDC_COLOR_8 && id <= IDC_COLOR_YUV) {
        readColour(dialog, state);
    } else if (id == IDC_SQUARE_PIXEL) {
        squarePixelStep(dialog);
    } else if (id >= IDC_PREVIEW_FIRST && id < IDC_PREVIEW_FIRST + 3) {
        readPictureMode(dialog, state);
    } else {
        return FALSE;
    }
    return TRUE;
}

BOOL handleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    DigDialogState& state = dialogState();
    switch (message) {
    case WM_MOVE:
        state.refreshFlag = 1;
        if (state.picMode == 2) {
            // Placed only from a live picture window's rectangle: dialogs
            // 1000 and 1001 have none (placeOverlay sees to it).
            placeOverlay();
            RedrawWindow(dialog, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN |
                             RDW_FRAME);
        }
        return FALSE;
    case WM_DESTROY:
        // Destroyed without OK or Cancel (its owner went): nothing starts
        // the preview again.
        state.ending = true;
        return FALSE;
    case WM_COMMAND:
        return command(dialog, wParam, lParam);
    case WM_HSCROLL:
        scrollStep(dialog, wParam);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

extern "C" INT_PTR CALLBACK DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return initDialog(dialog);
    return handleMessage(dialog, message, wParam, lParam);
}
