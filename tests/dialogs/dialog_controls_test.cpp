// The settings dialogs control by control: what each group shows when the
// dialog opens, what the buttons change, the register page, OK and Cancel.
#include <cmath>

#include <saa7146/tavdig.h>

#include "dialog_fixture.h"
#include "resources/resource_ids.h"
#include "virtual_card.h"

namespace {

using DialogControlsTest = DialogTest;

// Runs dialog type with action on its first pass; the action returns
// whether to press OK (else the dialog is closed as with its close box).
int runDialog(int type, std::function<bool(HWND)> action, const char* key = nullptr)
{
    harness::setDialogDriver([action](HWND dialog, int pass) {
        if (pass > 0)
            return false;
        if (action(dialog))
            harness::clickControl(dialog, IDOK);
        return true;
    });
    return TavDigDialog(nullptr, type, key);
}

int checkedIn(HWND dialog, int first, int last)
{
    int found = 0;
    for (int id = first; id <= last; ++id)
        if (IsDlgButtonChecked(dialog, id) == BST_CHECKED)
            found = found ? -1 : id;
    return found; // 0 none, -1 more than one
}

TEST_F(DialogControlsTest, FormatDialogOpensWithTheStoredSettings)
{
    struct Row {
        std::vector<std::pair<const char*, int32_t>> stored;
        int width, height, colour;
        bool square;
    };
    const Row rows[] = {
        {{}, 300, 350, IDC_COLOR_15, true},
        {{{"CX", 640}, {"CY", 288}}, 301, 351, IDC_COLOR_15, true},
        {{{"CX", 640}, {"CY", 288}, {"SquarePixel", 0}}, 301, 353, IDC_COLOR_15, false},
        {{{"CX", 1000}, {"CY", 7}, {"SquarePixel", 0}}, 300, 350, IDC_COLOR_15, false},
        {{{"BitsPerPixel", 16}}, 300, 350, 0, true}, // no 16-bit button in this dialog
        {{{"BitsPerPixel", 8}}, 300, 350, IDC_COLOR_8, true},
        {{{"BitsPerPixel", 24}, {"YUV", 1}}, 300, 350, IDC_COLOR_YUV, true},
    };
    for (const Row& row : rows) {
        SetUp();
        for (const auto& [name, value] : row.stored)
            store(name, value);
        bool seen = false;
        EXPECT_EQ(runDialog(TAVDIG_FORMAT, [&](HWND dialog) {
                      seen = true;
                      EXPECT_EQ(checkedIn(dialog, 300, 308), row.width);
                      EXPECT_EQ(checkedIn(dialog, 350, 358), row.height);
                      EXPECT_EQ(checkedIn(dialog, IDC_COLOR_8, IDC_COLOR_YUV), row.colour);
                      EXPECT_EQ(isChecked(dialog, IDC_SQUARE_PIXEL), row.square);
                      EXPECT_EQ(isEnabled(dialog, 353), !row.square);
                      EXPECT_EQ(text(dialog, 300), "768");
                      EXPECT_EQ(text(dialog, 358), "96");
                      EXPECT_FALSE(isEnabled(dialog, IDC_COLOR_YUV));
                      return true;
                  }),
                  1);
        EXPECT_TRUE(seen);
        int32_t bits = 0;
        EXPECT_TRUE(stored("BitsPerPixel", bits));
        int32_t expectedBits = row.colour == IDC_COLOR_8 ? 8 : row.colour == 0 ? 16 : row.colour == IDC_COLOR_YUV ? 16 : 15;
        EXPECT_EQ(bits, expectedBits) << "OK keeps a depth without a button";
    }
}

// The templates in the user's language, texts in its code page.
TEST_F(DialogControlsTest, TemplatesInBothLanguages)
{
    struct Row {
        const char* locale;
        int type;
        WORD language;
        const char* caption;
        const char* cancel;
    };
    const Row rows[] = {
        {"C", TAVDIG_FORMAT, 1033, "Frame grabber picture format", "Cancel"},
        {"C", TAVDIG_SOURCE, 1033, "Frame grabber input selection", "Cancel"},
        {"C", TAVDIG_FULL, 1033, "Frame grabber settings", "Cancel"},
        {"hu_HU.UTF-8", TAVDIG_FORMAT, 1038, "Digitaliz\xE1l\xF3 k\xE9pform\xE1tum", "M\xE9gse"},
        {"hu_HU.UTF-8", TAVDIG_SOURCE, 1038, "Digitaliz\xE1l\xF3 bemenet v\xE1laszt\xE1s", "M\xE9gse"},
        {"hu", TAVDIG_FULL, 1038, "Digitaliz\xE1l\xF3 be\xE1ll\xEDt\xE1sok", "M\xE9gse"},
    };
    for (const Row& row : rows) {
        SetUp();
        harness::setLanguage(row.locale);
        std::string cancel;
        runDialog(row.type, [&](HWND dialog) {
            cancel = text(dialog, IDCANCEL);
            return false;
        });
        auto shown = harness::shownDialogs();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].language, row.language);
        EXPECT_EQ(shown[0].caption, row.caption);
        EXPECT_EQ(cancel, row.cancel);
    }
}

TEST_F(DialogControlsTest, AspectOptionTiesTheHeightToTheWidth)
{
    EXPECT_EQ(runDialog(TAVDIG_FORMAT, [](HWND dialog) {
                  harness::clickControl(dialog, 304); // 320
                  EXPECT_EQ(checkedIn(dialog, 350, 358), 354);
                  harness::clickControl(dialog, 352); // disabled: nothing happens
                  EXPECT_EQ(checkedIn(dialog, 350, 358), 354);
                  harness::clickControl(dialog, IDC_SQUARE_PIXEL); // off
                  EXPECT_TRUE(isEnabled(dialog, 352));
                  EXPECT_EQ(checkedIn(dialog, 350, 358), 354) << "the check stays";
                  harness::clickControl(dialog, 352);
                  harness::clickControl(dialog, 302);
                  EXPECT_EQ(checkedIn(dialog, 350, 358), 352);
                  harness::clickControl(dialog, IDC_SQUARE_PIXEL); // on again
                  EXPECT_FALSE(isEnabled(dialog, 352));
                  EXPECT_EQ(checkedIn(dialog, 350, 358), 352) << "follows width 512";
                  harness::clickControl(dialog, 308); // the last width
                  EXPECT_EQ(checkedIn(dialog, 350, 358), 358) << "128 gives 96";
                  harness::clickControl(dialog, 302);
                  harness::clickControl(dialog, IDC_COLOR_YUV);
                  EXPECT_FALSE(isChecked(dialog, IDC_COLOR_YUV)) << "the YUV button is disabled";
                  harness::clickControl(dialog, IDC_COLOR_24);
                  return true;
              }),
              1);
    const std::pair<const char*, int32_t> expected[] = {
        {"CX", 512}, {"CY", 384}, {"SquarePixel", 1}, {"BitsPerPixel", 24}, {"YUV", 0},
        {"Camera", 0}, {"SignalType", 3}, {"Picmode", 0}};
    for (const auto& [name, value] : expected) {
        int32_t found = -1;
        EXPECT_TRUE(stored(name, found)) << name;
        EXPECT_EQ(found, value) << name;
    }
}

TEST_F(DialogControlsTest, CancelKeepsTheRegistryAndTheChangeInMemory)
{
    store("BitsPerPixel", 8);
    EXPECT_EQ(runDialog(TAVDIG_FORMAT, [](HWND dialog) {
                  harness::clickControl(dialog, IDC_COLOR_24);
                  return false;
              }),
              0);
    int32_t bits = 0;
    EXPECT_TRUE(stored("BitsPerPixel", bits));
    EXPECT_EQ(bits, 8);
    EXPECT_FALSE(stored("CX", bits)) << "Cancel writes nothing";
    TavDigVFWMode mode{};
    mode.size = sizeof(mode);
    TavDigGetVFWMode(&mode);
    EXPECT_EQ(mode.bitsPerPixel, 24) << "until the next dialog reloads it";
}

// The input dialog over card 0 as a host opened it.
class SourceDialogTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        ASSERT_EQ(DCardInit(0), 1);
    }
    // The first descriptor with these properties, by index.
    static int findRegister(std::function<bool(const DCardRegInfo&)> wanted, DCardRegInfo& info)
    {
        for (int index = 0;; ++index) {
            info = DCardRegInfo{};
            info.size = sizeof(info);
            if (!DCardGetRegInfoEx(1, index, &info))
                return -1;
            if (wanted(info))
                return index;
        }
    }
};

TEST_F(SourceDialogTest, InputsSignalsAndTheRegisterList)
{
    store("SignalType", 2);
    store("Camera", 1);
    int descriptors = 0;
    DCardRegInfo info;
    for (;; ++descriptors) {
        info = DCardRegInfo{};
        info.size = sizeof(info);
        if (!DCardGetRegInfoEx(1, descriptors, &info))
            break;
    }
    EXPECT_EQ(runDialog(TAVDIG_SOURCE, [&](HWND dialog) {
                  EXPECT_EQ(checkedIn(dialog, 100, 109), 101);
                  EXPECT_EQ(checkedIn(dialog, 200, 204), 204) << "NTSC";
                  EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_REGISTER_LIST, CB_GETCOUNT, 0, 0),
                            descriptors);
                  EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_REGISTER_LIST, CB_GETCURSEL, 0, 0), 0);
                  for (int i = 0; i < 10; ++i) {
                      std::string name = text(dialog, 100 + i);
                      EXPECT_EQ(isEnabled(dialog, 100 + i), name != "-") << i;
                  }
                  EXPECT_NE(text(dialog, IDC_REGISTER_DEFAULT), "00000");
                  harness::clickControl(dialog, 200); // BW 50Hz
                  return true;
              }),
              1);
    int32_t signal = -1;
    EXPECT_TRUE(stored("SignalType", signal));
    EXPECT_EQ(signal, 1);
    EXPECT_EQ(sim::card(0).countRequests(driver::SetCameraSignal), 1u) << "OK sets the signal";

    store("SignalType", 7);
    runDialog(TAVDIG_SOURCE, [](HWND dialog) {
        EXPECT_EQ(checkedIn(dialog, 200, 204), 201) << "an unknown signal shows PAL";
        return false;
    });
}

// A camera whose record cannot be read has its button disabled, and a
// disabled button is never the checked one: clicking another then leaves one
// checked. A stored camera out of range indexes no button.
TEST_F(SourceDialogTest, OnlyAnEnabledCameraButtonIsChecked)
{
    struct Row {
        int32_t camera;
        bool firstUnreadable;
        int checked;
    };
    const Row rows[] = {{0, true, 101}, {0x7FFFFFFF, false, 100}, {-5, false, 100}, {9, false, 109}};
    for (const Row& row : rows) {
        SetUp();
        store("Camera", row.camera);
        if (row.firstUnreadable) {
            sim::Fault unreadable;
            unreadable.code = driver::CameraRecord;
            sim::card(0).injectFault(unreadable);
        }
        runDialog(TAVDIG_SOURCE, [&](HWND dialog) {
            EXPECT_EQ(checkedIn(dialog, 100, 109), row.checked) << row.camera;
            EXPECT_EQ(isEnabled(dialog, 100), !row.firstUnreadable);
            harness::clickControl(dialog, 104);
            EXPECT_EQ(checkedIn(dialog, 100, 109), 104) << "one checked, " << row.camera;
            return false;
        });
    }
}

// Set takes the typed number in the register's scale, for the camera
// checked, and stores it in that camera's register set; what does not scan
// or does not fit 32 bits changes nothing.
TEST_F(SourceDialogTest, SetTypedValues)
{
    DCardRegInfo info;
    int index = findRegister([](const DCardRegInfo& r) { return r.scale != 0 && r.width >= 8; }, info);
    ASSERT_GE(index, 0);
    struct Row {
        const char* typed;
        bool taken;
    };
    const Row rows[] = {{"3.9", true}, {"-3.9", true}, {"0", true},      {"abc", false},
                        {"", false},   {"1e30", false}, {"4294967296e0", false}};
    for (const Row& row : rows) {
        SetUp();
        runDialog(TAVDIG_SOURCE, [&](HWND dialog) {
            harness::clickControl(dialog, 102);
            harness::selectListItem(dialog, IDC_REGISTER_LIST, index);
            harness::typeText(dialog, IDC_REGISTER_VALUE, row.typed);
            harness::clickControl(dialog, IDC_REGISTER_SET);
            return false;
        });
        int32_t value = 0;
        bool written = stored(info.name, value, "RegSet2");
        EXPECT_EQ(written, row.taken) << row.typed;
        if (row.taken && written) {
            double number = atof(row.typed);
            auto expected = static_cast<int64_t>(std::trunc(number / info.scale));
            if (!info.isSigned && expected < 0)
                expected = 0; // an unsigned field's lowest
            EXPECT_EQ(value, expected) << row.typed;
        }
        EXPECT_FALSE(stored(info.name, value, "RegSet0")) << "only camera 2's set";
    }
}

TEST_F(SourceDialogTest, ScrollBarSteps)
{
    DCardRegInfo info;
    int index = findRegister([](const DCardRegInfo& r) { return r.width == 8 && !r.isSigned; }, info);
    ASSERT_GE(index, 0);
    ASSERT_TRUE(DCardSetReg(1, 0, static_cast<int>(info.regNum), 100));
    struct Row {
        int code, position, expected;
    };
    const Row rows[] = {{SB_PAGERIGHT, 0, 112}, {SB_PAGELEFT, 0, 100},   {SB_LINERIGHT, 0, 101},
                        {SB_LINELEFT, 0, 100},  {SB_THUMBTRACK, 250, 250}, {SB_RIGHT, 0, 255},
                        {SB_PAGERIGHT, 0, 255}, {SB_LEFT, 0, 0},         {SB_PAGELEFT, 0, 0},
                        {SB_ENDSCROLL, 0, 0}};
    runDialog(TAVDIG_SOURCE, [&](HWND dialog) {
        harness::selectListItem(dialog, IDC_REGISTER_LIST, index);
        HWND scroll = GetDlgItem(dialog, IDC_REGISTER_SCROLL);
        EXPECT_EQ(GetScrollPos(scroll, SB_CTL), 100);
        for (const Row& row : rows) {
            harness::scrollControl(dialog, IDC_REGISTER_SCROLL, row.code, row.position);
            EXPECT_EQ(GetScrollPos(scroll, SB_CTL), row.expected) << row.code;
            int current = -1;
            DCardGetReg(1, 0, static_cast<int>(info.regNum), &current);
            EXPECT_EQ(current, row.expected) << "every scroll message writes the register";
        }
        return false;
    });
    int32_t value = -1;
    EXPECT_TRUE(stored(info.name, value, "RegSet0"));
    EXPECT_EQ(value, 0);

    // A signed field: the bar's ends are the field's ends, and nothing
    // beyond them is written, by the bar or typed.
    DCardRegInfo signedInfo;
    int signedIndex =
        findRegister([](const DCardRegInfo& r) { return r.width == 8 && r.isSigned; }, signedInfo);
    ASSERT_GE(signedIndex, 0);
    ASSERT_TRUE(DCardSetReg(1, 0, static_cast<int>(signedInfo.regNum), -3));
    const int lowest = std::max(signedInfo.minValue, -128), highest = std::min(signedInfo.maxValue, 127);
    struct Step {
        int code, position;
        const char* typed;
        int expected;
    };
    const Step steps[] = {{SB_RIGHT, 0, nullptr, highest},     {SB_LINERIGHT, 0, nullptr, highest},
                          {SB_THUMBTRACK, 255, nullptr, highest}, {SB_LEFT, 0, nullptr, lowest},
                          {SB_LINELEFT, 0, nullptr, lowest},    {0, 0, "1000", highest},
                          {0, 0, "-1000", lowest}};
    runDialog(TAVDIG_SOURCE, [&](HWND dialog) {
        harness::selectListItem(dialog, IDC_REGISTER_LIST, signedIndex);
        HWND scroll = GetDlgItem(dialog, IDC_REGISTER_SCROLL);
        EXPECT_EQ(GetScrollPos(scroll, SB_CTL), 125) << "-3 above -128 at 0";
        for (const Step& step : steps) {
            if (step.typed) {
                harness::typeText(dialog, IDC_REGISTER_VALUE, step.typed);
                harness::clickControl(dialog, IDC_REGISTER_SET);
            } else {
                harness::scrollControl(dialog, IDC_REGISTER_SCROLL, step.code, step.position);
            }
            int current = 0;
            DCardGetReg(1, 0, static_cast<int>(signedInfo.regNum), &current);
            EXPECT_EQ(current, step.expected) << step.code << (step.typed ? step.typed : "");
            EXPECT_EQ(GetScrollPos(scroll, SB_CTL), step.expected + 128);
        }
        return false;
    });
}

TEST_F(SourceDialogTest, DefaultsWriteOnlyWhatDiffers)
{
    DCardRegInfo info;
    int index = findRegister([](const DCardRegInfo& r) { return r.width >= 4 && !r.isSigned; }, info);
    ASSERT_GE(index, 0);
    runDialog(TAVDIG_SOURCE, [&](HWND dialog) {
        harness::clickControl(dialog, IDC_REGISTER_DEFAULTS);
        return false;
    });
    int32_t value;
    EXPECT_FALSE(stored(info.name, value, "RegSet0")) << "nothing stored, nothing written";

    store(info.name, info.defValue ^ 1, "RegSet0");
    runDialog(TAVDIG_SOURCE, [&](HWND dialog) {
        harness::clickControl(dialog, IDC_REGISTER_DEFAULTS);
        return false;
    });
    EXPECT_TRUE(stored(info.name, value, "RegSet0"));
    EXPECT_EQ(value, info.defValue);
    int current = -1;
    DCardGetReg(1, 0, static_cast<int>(info.regNum), &current);
    EXPECT_EQ(current, info.defValue);
}

} // namespace
