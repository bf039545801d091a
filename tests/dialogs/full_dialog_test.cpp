// The full dialog inside TavDigCapture: the final picture, its refusals,
// Cancel, and the live preview as a bitmap and as an overlay.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include <saa7146/tavdig.h>

#include "card/driver_request.h"
#include "dialog_fixture.h"
#include "image/dib.h"
#include "resources/resource_ids.h"
#include "virtual_card.h"

namespace {

using Clock = std::chrono::steady_clock;
using FullDialogTest = DialogTest;

// Drives the dialog through steps: each runs on passes of the modal loop
// until it returns true, then the next; the dialog is closed when a step
// has not finished within its deadline (and the test fails) or when the
// steps are done without ending it.
struct Script {
    struct Step {
        const char* what;
        std::function<bool(HWND)> done;
    };
    std::vector<Step> steps;
    size_t at = 0;
    Clock::time_point started{};
    std::string timedOut;

    void install()
    {
        harness::setDialogDriver([this](HWND dialog, int) {
            if (at >= steps.size())
                return false;
            if (started == Clock::time_point{})
                started = Clock::now();
            if (steps[at].done(dialog)) {
                ++at;
                started = {};
            } else if (Clock::now() - started > std::chrono::seconds(20)) {
                timedOut = steps[at].what;
                return false;
            }
            return true;
        });
    }
};

RECT pictureOnScreen()
{
    HWND picture = dialogState().pictureWindow;
    RECT client;
    POINT origin = {0, 0};
    GetClientRect(picture, &client);
    ClientToScreen(picture, &origin);
    return {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
}

bool overlayAt(const RECT& rect, int camera)
{
    driver::OverlayRequest overlay = sim::card(0).overlay();
    return overlay.camera == camera + 1 && overlay.left == rect.left && overlay.top == rect.top &&
           overlay.right == rect.right && overlay.bottom == rect.bottom;
}

bool click(HWND dialog, int id)
{
    harness::clickControl(dialog, id);
    return true;
}

TEST_F(FullDialogTest, OkHandsTheHostThePicture)
{
    struct Row {
        int32_t bits;
        int headerBits;
        int colourButton;
    };
    const Row rows[] = {{24, 24, IDC_COLOR_24}, {8, 8, IDC_COLOR_8}, {16, 16, IDC_COLOR_16},
                        {15, 16, 0}}; // no 15-bit button in this dialog; digitized as 15
    for (const Row& row : rows) {
        SetUp();
        store("CX", 320);
        store("CY", 240);
        store("BitsPerPixel", row.bits);
        int blocks = harness::globalBlocks();
        Script script;
        script.steps = {{"check the colour", [&](HWND dialog) {
                             int checkedColour = 0;
                             for (int id = IDC_COLOR_8; id <= IDC_COLOR_YUV; ++id)
                                 if (isChecked(dialog, id))
                                     checkedColour = id;
                             EXPECT_EQ(checkedColour, row.colourButton) << row.bits;
                             return click(dialog, IDOK);
                         }}};
        script.install();
        HGLOBAL picture = TavDigCapture(nullptr);
        EXPECT_EQ(script.timedOut, "");
        ASSERT_NE(picture, nullptr) << row.bits;
        EXPECT_EQ(currentDibBlock(), nullptr) << "the module let go of it";
        auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(picture));
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->biWidth, 320);
        EXPECT_EQ(header->biHeight, 240);
        EXPECT_EQ(header->biBitCount, row.headerBits);
        GlobalUnlock(picture);
        HBITMAP later = MakeDigDIB(nullptr, std::vector<uint8_t>(64 * 48 * 3).data(), 64, 48, 24, 0);
        EXPECT_NE(GlobalLock(picture), nullptr) << "a later bitmap leaves the host's block alone";
        GlobalUnlock(picture);
        DeleteObject(later);
        EXPECT_EQ(GlobalFree(picture), nullptr);
        EXPECT_EQ(harness::globalBlocks(), blocks) << "nothing else left behind";
        int32_t bits = 0;
        EXPECT_TRUE(stored("BitsPerPixel", bits));
        EXPECT_EQ(bits, row.bits);
        driver::DigitRequest last{};
        for (const sim::LoggedRequest& request : sim::card(0).requests())
            if (request.code == driver::Digit && request.sent.size() >= sizeof(last))
                memcpy(&last, request.sent.data(), sizeof(last));
        EXPECT_EQ(last.bitsPerPixel, row.bits == 16 ? 15 : row.bits) << "the final picture's mode";
        EXPECT_EQ(last.width, 320);
        EXPECT_EQ(sim::card(0).overlay().camera, 0) << "the picture window took the overlay down";
    }
}

// What the final picture refuses keeps the dialog open with a message, and
// nothing is saved. The size comes from the buttons, but a depth without a
// button stays as the registry had it: never a wrapped or huge buffer.
TEST_F(FullDialogTest, RefusedSnapshotsKeepTheDialogOpen)
{
    struct Row {
        std::vector<std::pair<const char*, int32_t>> stored;
        const char* message;
    };
    const Row rows[] = {
        {{{"YUV", 1}, {"BitsPerPixel", 16}}, "Windows Bitmap does not support YUV pictures."},
    };
    for (const Row& row : rows) {
        SetUp();
        for (const auto& [name, value] : row.stored)
            store(name, value);
        Script script;
        script.steps = {{"press OK", [](HWND dialog) { return click(dialog, IDOK); }},
                        {"still open", [](HWND) { return true; }}};
        script.install();
        EXPECT_EQ(TavDigCapture(nullptr), nullptr);
        EXPECT_EQ(script.at, 2u) << "the dialog stayed open after OK";
        auto boxes = harness::messageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, row.message);
        int32_t value;
        EXPECT_FALSE(stored("Picmode", value)) << "nothing saved";
        EXPECT_EQ(currentDibBlock(), nullptr);
    }
    // A depth no button stands for opens with the 16-bit button checked, so
    // the final picture is never of a stored depth like these.
    for (int32_t bits : {0x40000000, -8, 32, 0}) {
        SetUp();
        store("BitsPerPixel", bits);
        Script script;
        script.steps = {{"press OK", [](HWND dialog) { return click(dialog, IDOK); }}};
        script.install();
        HGLOBAL picture = TavDigCapture(nullptr);
        ASSERT_NE(picture, nullptr) << bits;
        EXPECT_EQ(static_cast<const BITMAPINFOHEADER*>(GlobalLock(picture))->biBitCount, 16);
        GlobalUnlock(picture);
        GlobalFree(picture);
    }
}

TEST_F(FullDialogTest, CancelTakesTheOverlayDown)
{
    Script script;
    script.steps = {{"cancel", [](HWND dialog) { return click(dialog, IDCANCEL); }}};
    script.install();
    sim::card(0).clearRequests();
    EXPECT_EQ(TavDigCapture(nullptr), nullptr);
    EXPECT_GE(sim::card(0).countRequests(driver::Overlay), 1u);
    EXPECT_EQ(sim::card(0).overlay().camera, 0);
    EXPECT_EQ(dialogState().cancelFlag, 1);
}

// Type 7 without TavDigCapture: the dialog works but never digitizes or
// places an overlay through the handle an earlier capture left behind.
TEST_F(FullDialogTest, FullDialogOutsideACaptureTouchesNoCard)
{
    store("Picmode", 2);
    sim::card(0).clearRequests();
    Script script;
    script.steps = {{"OK", [](HWND dialog) { return click(dialog, IDOK); }},
                    {"move", [](HWND dialog) {
                         SendMessageA(dialog, WM_MOVE, 0, 0);
                         return true;
                     }}};
    script.install();
    EXPECT_EQ(TavDigDialog(nullptr, TAVDIG_FULL, nullptr), 0);
    auto boxes = harness::messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Digit error!");
    EXPECT_EQ(sim::card(0).requests().size(), 0u);
}

// WM_MOVE in a dialog without a picture window never places the overlay,
// even with the handle of an earlier full dialog's picture window.
TEST_F(FullDialogTest, MoveWithoutAPictureWindowPlacesNothing)
{
    store("Picmode", 2);
    ASSERT_EQ(DCardInit(0), 1);
    dialogGlobals().cardHandle = 1;
    sim::card(0).clearRequests();
    HWND stale = harness::makeWindow({10, 10, 394, 298});
    DestroyWindow(stale);
    dialogState().pictureWindow = stale;
    Script script;
    script.steps = {{"move", [](HWND dialog) {
                         SendMessageA(dialog, WM_MOVE, 0, 0);
                         return true;
                     }}};
    script.install();
    TavDigDialog(nullptr, TAVDIG_FORMAT, nullptr);
    EXPECT_EQ(sim::card(0).countRequests(driver::Overlay), 0u);
    DCardExit(1);
}

TEST_F(FullDialogTest, BitmapPreviewPaintsTheLastFrame)
{
    store("Picmode", 1);
    store("YUV", 1);
    store("BitsPerPixel", 16);
    HBITMAP shown = nullptr;
    Script script;
    script.steps = {
        {"picture window made 4:3", [](HWND dialog) {
             // The template's 256 x 181 units cut to 4:3: 384 x 288 with the
             // font's 6 x 13 pixels to 4 x 8 units.
             RECT made = {0, 0, 256, 181};
             MapDialogRect(dialog, &made);
             if (made.bottom * 4 < made.right * 3)
                 made.right = made.bottom * 4 / 3;
             else
                 made.bottom = made.right * 3 / 4;
             RECT client;
             GetClientRect(dialogState().pictureWindow, &client);
             EXPECT_EQ(client.right, made.right);
             EXPECT_EQ(client.bottom, made.bottom);
             return true;
         }},
        {"a preview frame", [&](HWND) {
             SemaphoreScope hold(dialogState().previewLock);
             shown = dialogGlobals().previewBitmap;
             return shown != nullptr;
         }},
        {"repaint when uncovered", [&](HWND) {
             SemaphoreScope hold(dialogState().previewLock);
             EXPECT_TRUE(harness::showsBitmap(dialogState().pictureWindow,
                                              dialogGlobals().previewBitmap));
             return true;
         }},
        {"cancel", [](HWND dialog) { return click(dialog, IDCANCEL); }}};
    script.install();
    EXPECT_EQ(TavDigCapture(nullptr), nullptr);
    EXPECT_EQ(script.timedOut, "");
    EXPECT_EQ(dialogGlobals().previewBitmap, nullptr) << "deleted after Cancel";
    bool digitizedIn24 = false;
    for (const sim::LoggedRequest& request : sim::card(0).requests()) {
        if (request.code != driver::Digit)
            continue;
        driver::DigitRequest digit;
        ASSERT_GE(request.sent.size(), sizeof(digit));
        memcpy(&digit, request.sent.data(), sizeof(digit));
        if (digit.width == 384 && digit.height == -288)
            digitizedIn24 = digit.bitsPerPixel == 24;
    }
    EXPECT_TRUE(digitizedIn24) << "YUV previews in 24 bits";
}

TEST_F(FullDialogTest, OverlayPreviewFollowsTheDialog)
{
    store("Picmode", 2);
    store("Camera", 1);
    RECT start{}, moved{};
    Script script;
    script.steps = {
        {"overlay placed", [&](HWND) {
             start = pictureOnScreen();
             return overlayAt(start, 1);
         }},
        {"moved", [&](HWND dialog) {
             RECT frame;
             GetWindowRect(dialog, &frame);
             SetWindowPos(dialog, nullptr, frame.left + 40, frame.top + 30, 0, 0,
                          SWP_NOSIZE | SWP_NOZORDER);
             SendMessageA(dialog, WM_MOVE, 0, 0);
             moved = pictureOnScreen();
             EXPECT_TRUE(overlayAt(moved, 1)) << "placed again at once";
             return true;
         }},
        {"none", [](HWND dialog) { return click(dialog, IDC_PREVIEW_FIRST); }},
        {"overlay off", [&](HWND) {
             driver::OverlayRequest overlay = sim::card(0).overlay();
             return overlay.camera == 0 && overlay.left == start.left && overlay.top == start.top;
         }},
        {"OK", [](HWND dialog) { return click(dialog, IDOK); }}};
    script.install();
    HGLOBAL picture = TavDigCapture(nullptr);
    EXPECT_EQ(script.timedOut, "");
    EXPECT_NE(moved.left, start.left);
    ASSERT_NE(picture, nullptr);
    GlobalFree(picture);
    int32_t mode = -1;
    EXPECT_TRUE(stored("Picmode", mode));
    EXPECT_EQ(mode, 0);
}

size_t previewFrames()
{
    size_t frames = 0;
    for (const sim::LoggedRequest& request : sim::card(0).requests()) {
        driver::DigitRequest digit;
        if (request.code != driver::Digit || request.sent.size() < sizeof(digit))
            continue;
        memcpy(&digit, request.sent.data(), sizeof(digit));
        frames += digit.width == 384;
    }
    return frames;
}

// Test mode with no file for a frame: the preview and the host's picture
// are black, never memory of before.
TEST_F(FullDialogTest, WithoutATestFileThePreviewAndThePictureAreBlack)
{
    harness::writeIni("Debug", 1);
    harness::writeIni("DisplayDialog", 0);
    harness::writeIni("CamPath0", (harness::scratchDirectory() + "/no-frames").c_str());
    store("Picmode", 1);
    store("CX", 320);
    store("CY", 240);
    store("BitsPerPixel", 24);
    bool previewBlack = false;
    Script script;
    script.steps = {{"a preview frame", [](HWND) {
                         SemaphoreScope hold(dialogState().previewLock);
                         return dialogGlobals().previewBitmap != nullptr;
                     }},
                    {"black preview", [&](HWND) {
                         SemaphoreScope hold(dialogState().previewLock);
                         const uint8_t* frame = dialogGlobals().previewFrame;
                         previewBlack = frame && std::all_of(frame, frame + 384 * 288 * 3,
                                                             [](uint8_t b) { return b == 0; });
                         return true;
                     }},
                    {"ok", [](HWND dialog) { return click(dialog, IDOK); }}};
    script.install();
    HGLOBAL picture = TavDigCapture(nullptr);
    EXPECT_EQ(script.timedOut, "");
    EXPECT_TRUE(previewBlack);
    ASSERT_NE(picture, nullptr);
    auto* dib = static_cast<const uint8_t*>(GlobalLock(picture));
    ASSERT_NE(dib, nullptr);
    const uint8_t* pixels = dib + sizeof(BITMAPINFOHEADER);
    EXPECT_TRUE(std::all_of(pixels, pixels + 320 * 240 * 3, [](uint8_t b) { return b == 0; }));
    GlobalUnlock(picture);
    GlobalFree(picture);
}

// Every change of the preview mode, in every order: none to bitmap to
// overlay to none to overlay to bitmap to none.
TEST_F(FullDialogTest, EveryTransitionOfThePreview)
{
    RECT start{};
    size_t frames = 0;
    Clock::time_point quietSince{};
    auto choose = [](int mode) {
        return [mode](HWND dialog) { return click(dialog, IDC_PREVIEW_FIRST + mode); };
    };
    auto framesFlow = [&](HWND) {
        size_t now = previewFrames();
        bool flowing = now >= frames + 2;
        if (flowing)
            frames = now;
        return flowing;
    };
    auto overlayOn = [&](HWND) { return overlayAt(pictureOnScreen(), 0); };
    auto overlayOff = [&](HWND) {
        driver::OverlayRequest overlay = sim::card(0).overlay();
        return overlay.camera == 0 && overlay.left == start.left && overlay.bottom == start.bottom;
    };
    auto framesStop = [&](HWND) {
        size_t now = previewFrames();
        if (now != frames || quietSince == Clock::time_point{}) {
            frames = now;
            quietSince = Clock::now();
            return false;
        }
        return Clock::now() - quietSince > std::chrono::milliseconds(300);
    };
    Script script;
    script.steps = {
        {"start rectangle", [&](HWND) {
             start = pictureOnScreen();
             frames = previewFrames();
             return true;
         }},
        {"none to bitmap", choose(1)},   {"frames", framesFlow},
        {"bitmap to overlay", choose(2)}, {"overlay on", overlayOn},
        {"overlay to none", choose(0)},  {"overlay off", overlayOff},
        {"none to overlay", choose(2)},  {"overlay on again", overlayOn},
        {"overlay to bitmap", choose(1)}, {"frames again", framesFlow},
        {"bitmap to none", choose(0)},   {"frames stop", framesStop},
        {"cancel", [](HWND dialog) { return click(dialog, IDCANCEL); }}};
    script.install();
    EXPECT_EQ(TavDigCapture(nullptr), nullptr);
    EXPECT_EQ(script.timedOut, "");
    EXPECT_EQ(script.at, script.steps.size());
    EXPECT_EQ(sim::card(0).overlay().camera, 0);
}

// A signal button sets the signal of the camera selected, and of no other.
TEST_F(FullDialogTest, ASignalButtonChangesTheSelectedCameraOnly)
{
    store("Camera", 1);
    store("SignalType", 3);
    int32_t otherBefore = -1;
    Script script;
    script.steps = {{"NTSC", [&](HWND dialog) {
                         otherBefore = sim::card(0).signalType(0);
                         return click(dialog, IDC_SIGNAL_FIRST + 4);
                     }},
                    {"cancel", [](HWND dialog) { return click(dialog, IDCANCEL); }}};
    script.install();
    EXPECT_EQ(TavDigCapture(nullptr), nullptr);
    EXPECT_EQ(script.timedOut, "");
    EXPECT_EQ(sim::card(0).signalType(1), 2) << "NTSC on camera 1";
    EXPECT_EQ(sim::card(0).signalType(0), otherBefore) << "camera 0 as it was";
}

// Moved a pixel right (and back after 32), so the next mask of the preview
// loop has a list of covers it has not had before to repaint.
void moveCover(HWND cover)
{
    static int moves = 0;
    RECT now;
    GetWindowRect(cover, &now);
    int step = ++moves % 32 ? 1 : -31;
    harness::placeWindow(cover, {now.left + step, now.top, now.right + step, now.bottom});
}

// OK and Cancel in overlay mode while the preview loop repaints a window of
// the dialog's own thread that covers the picture (as a drop-down list
// does): the loop never waits for the dialog's thread, which waits for the
// loop to stop.
TEST_F(FullDialogTest, OkAndCancelWhileTheLoopRepaintsACoverOfTheDialogsThread)
{
    for (int round = 0; round < 4; ++round) {
        SetUp();
        store("Picmode", 2);
        HWND cover = nullptr;
        size_t masks = 0;
        Script script;
        script.steps = {
            {"a cover of the dialog's thread", [&](HWND) {
                 RECT picture = pictureOnScreen();
                 cover = harness::makeWindow({picture.left + 20, picture.top + 20,
                                              picture.left + 120, picture.top + 80});
                 masks = sim::card(0).countRequests(driver::Mask);
                 return true;
             }},
            {"the loop repaints it", [&](HWND) {
                 moveCover(cover);
                 return sim::card(0).countRequests(driver::Mask) >= masks + 10;
             }},
            {round % 2 ? "Cancel" : "OK", [&](HWND dialog) {
                 // Pressed the moment the loop waits for this thread, if it
                 // ever does: the stop then waits for a loop that waits for it.
                 moveCover(cover);
                 auto until = Clock::now() + std::chrono::milliseconds(300);
                 while (Clock::now() < until && !(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE))
                     std::this_thread::yield();
                 return click(dialog, round % 2 ? IDCANCEL : IDOK);
             }}};
        script.install();
        HGLOBAL picture = TavDigCapture(nullptr);
        EXPECT_EQ(script.timedOut, "") << round;
        EXPECT_EQ(picture != nullptr, round % 2 == 0) << round;
        if (picture)
            GlobalFree(picture);
        EXPECT_FALSE(dialogState().Running());
        harness::destroyWindows();
    }
}

// Every way the full dialog can end stops the preview before TavDigDialog
// returns, and only OK is a yes: WM_QUIT (put back for the host's loop),
// its owner destroyed, and a Cancel that the message box of a refused final
// picture dispatches (the preview is not started again behind it).
TEST_F(FullDialogTest, EveryEndStopsThePreview)
{
    enum End { Quit, OwnerGone, CancelInsideTheMessage };
    for (End end : {Quit, OwnerGone, CancelInsideTheMessage}) {
        SetUp();
        store("Picmode", 1);
        HWND owner = harness::makeWindow({0, 0, 50, 50});
        Script script;
        script.steps = {{"frames flow", [](HWND) { return previewFrames() > 1; }},
                        {"the end", [&](HWND dialog) {
                             if (end == Quit) {
                                 PostQuitMessage(7);
                             } else if (end == OwnerGone) {
                                 DestroyWindow(owner);
                             } else {
                                 sim::Fault refused;
                                 refused.code = driver::Digit;
                                 refused.remaining = 1000;
                                 sim::card(0).injectFault(refused);
                                 PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                                 click(dialog, IDOK); // "Digit error!", and the Cancel inside it
                                 EXPECT_FALSE(dialogState().Running()) << "started again";
                             }
                             return true;
                         }},
                        {"still open", [](HWND) { return false; }}};
        script.install();
        EXPECT_EQ(TavDigCapture(owner), nullptr) << end;
        EXPECT_EQ(script.timedOut, "") << end;
        EXPECT_FALSE(dialogState().Running()) << end;
        EXPECT_EQ(dialogState().cancelFlag, 1) << end;
        MSG message;
        bool quitBack = PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
        EXPECT_EQ(quitBack, end == Quit) << end;
        if (quitBack) {
            EXPECT_EQ(message.wParam, WPARAM(7));
        }
        if (end != OwnerGone)
            DestroyWindow(owner);
        sim::card(0).clearFaults();
    }
}

// A digitize that keeps failing (a card that fails, a camera it does not
// have) is tried again after a pause, as the other preview modes pause.
TEST_F(FullDialogTest, AFailingBitmapPreviewPausesBetweenTries)
{
    store("Picmode", 1);
    sim::Fault refused;
    refused.code = driver::Digit;
    refused.remaining = 1 << 30;
    Clock::time_point from{};
    size_t tries = 0;
    Script script;
    script.steps = {{"failing", [&](HWND) {
                         sim::card(0).injectFault(refused);
                         from = Clock::now();
                         tries = sim::card(0).countRequests(driver::Digit);
                         return true;
                     }},
                    {"a while", [&](HWND) { return Clock::now() - from > std::chrono::milliseconds(500); }},
                    {"counted", [&](HWND) {
                         auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - from);
                         size_t made = sim::card(0).countRequests(driver::Digit) - tries;
                         EXPECT_LE(made, size_t(waited.count() / 50 + 2)) << "at least 50 ms apart";
                         return true;
                     }}};
    script.install();
    EXPECT_EQ(TavDigCapture(nullptr), nullptr);
    EXPECT_EQ(script.timedOut, "");
    sim::card(0).clearFaults();
}

// Stopping the preview returns while the loop waits on a slow frame.
TEST_F(FullDialogTest, StopWhileDigitizing)
{
    store("Picmode", 1);
    sim::CardSettings settings = sim::card(0).settings();
    settings.slowCode = driver::Digit;
    settings.slowMs = 200;
    sim::card(0).configure(settings);
    Script script;
    script.steps = {{"first frame asked for", [](HWND) {
                         return sim::card(0).countRequests(driver::Digit) > 0;
                     }},
                    {"cancel", [](HWND dialog) { return click(dialog, IDCANCEL); }}};
    script.install();
    EXPECT_EQ(TavDigCapture(nullptr), nullptr);
    EXPECT_EQ(script.timedOut, "");
    EXPECT_FALSE(dialogState().Running());
}

} // namespace
