// The dialogs as a user sees them, under Wine with real windows and fonts,
// in both languages: every text of the three templates fits its control,
// and a picture of each dialog (the full one with its live preview) is kept
// as a BMP file in screenshots/ beside the test program.
#include <cstdio>
#include <string>
#include <vector>

#include <saa7146/tavdig.h>

#include "dialogs/dialog_fixture.h"
#include "resources/resource_ids.h"

namespace {

// A text that does not fit: the control's id and text, the pixels it needs
// and those it has.
struct Cut {
    int id;
    std::wstring text;
    int needed;
    int room;
};

std::wstring withoutAccelerators(const std::wstring& text)
{
    std::wstring shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

int widthOf(HDC dc, const std::wstring& text)
{
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    return size.cx;
}

// Whether the text fits width x height as a static control lays it out:
// words wrapped onto lines, no word wider than a line.
bool wraps(HDC dc, const std::wstring& text, int width, int height, int lineHeight, int& needed)
{
    int lines = 1, line = 0;
    const int space = widthOf(dc, L" ");
    needed = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L' ', start);
        if (end == std::wstring::npos)
            end = text.size();
        int word = widthOf(dc, text.substr(start, end - start));
        needed = std::max(needed, word);
        if (line && line + space + word > width) {
            ++lines;
            line = word;
        } else {
            line += (line ? space : 0) + word;
        }
        start = end + 1;
    }
    return needed <= width && lines * lineHeight <= height;
}

std::vector<Cut> cutTexts(HWND dialog)
{
    std::vector<Cut> cuts;
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        char className[32] = {};
        GetClassNameA(control, className, sizeof(className));
        if (_stricmp(className, "ComboBox") == 0) {
            // Its list drops down wide enough for the longest item.
            HDC dc = GetDC(control);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
            int room = int(SendMessageW(control, CB_GETDROPPEDWIDTH, 0, 0)) -
                       GetSystemMetrics(SM_CXVSCROLL) - 2 * GetSystemMetrics(SM_CXEDGE);
            const int items = int(SendMessageW(control, CB_GETCOUNT, 0, 0));
            for (int item = 0; item < items; ++item) {
                wchar_t label[256] = {};
                if (SendMessageW(control, CB_GETLBTEXTLEN, item, 0) >= 256)
                    continue;
                SendMessageW(control, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(label));
                int needed = widthOf(dc, label);
                if (needed > room)
                    cuts.push_back({GetDlgCtrlID(control), label, needed, room});
            }
            SelectObject(dc, old);
            ReleaseDC(control, dc);
            continue;
        }
        wchar_t raw[256] = {};
        GetWindowTextW(control, raw, 256);
        std::wstring text = withoutAccelerators(raw);
        if (text.empty())
            continue;
        bool isStatic = _stricmp(className, "Static") == 0;
        if (!isStatic && _stricmp(className, "Button") != 0)
            continue;
        RECT client;
        GetClientRect(control, &client);
        HDC dc = GetDC(control);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics;
        GetTextMetricsW(dc, &metrics);
        int needed = widthOf(dc, text);
        int room = client.right;
        bool fits;
        if (isStatic) {
            fits = wraps(dc, text, room, client.bottom, metrics.tmHeight, needed);
        } else {
            LONG style = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
            if (style == BS_GROUPBOX)
                room -= 2 * 8; // the frame's corners on either side of the label
            else if (style == BS_PUSHBUTTON || style == BS_DEFPUSHBUTTON)
                room -= 2 * 3; // the raised edge
            else
                room -= GetSystemMetrics(SM_CXMENUCHECK) + 4; // the box and its gap
            fits = needed <= room;
        }
        SelectObject(dc, old);
        ReleaseDC(control, dc);
        if (!fits)
            cuts.push_back({GetDlgCtrlID(control), text, needed, room});
    }
    return cuts;
}

// The dialog's window as it shows on the screen, as a 24-bit BMP file.
bool savePicture(HWND dialog, const std::string& path)
{
    RECT frame;
    GetWindowRect(dialog, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                       DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    GdiFlush();
    const DWORD row = DWORD((width * 3 + 3) & ~3), imageBytes = row * DWORD(height);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + imageBytes;
    FILE* out = fopen(path.c_str(), "wb");
    bool written = out && fwrite(&file, sizeof(file), 1, out) == 1 &&
                   fwrite(&header, sizeof(header), 1, out) == 1 &&
                   fwrite(bits, imageBytes, 1, out) == 1;
    if (out)
        fclose(out);
    SelectObject(memory, old);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

std::string narrow(const std::wstring& text)
{
    char buffer[512] = {};
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buffer, sizeof(buffer), nullptr, nullptr);
    return buffer;
}

using DialogLookTest = DialogTest;

TEST_F(DialogLookTest, EveryTextFitsAndEachDialogIsPictured)
{
    struct Row {
        const char* locale;
        const char* language;
        int type;
    };
    const Row rows[] = {
        {nullptr, "en", TAVDIG_FORMAT}, {nullptr, "en", TAVDIG_SOURCE}, {nullptr, "en", TAVDIG_FULL},
        {"hu", "hu", TAVDIG_FORMAT},    {"hu", "hu", TAVDIG_SOURCE},    {"hu", "hu", TAVDIG_FULL},
    };
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof(program));
    std::string folder(program);
    folder.resize(folder.find_last_of("\\/") + 1);
    folder += "screenshots";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const Row& row : rows) {
        SetUp();
        harness::setLanguage(row.locale);
        store("Picmode", 1);
        store("Camera", 0);
        if (row.type != TAVDIG_FULL) {
            ASSERT_EQ(DCardInit(0), 1); // the inputs and registers of card 0, as a host has it
        }
        std::vector<Cut> cuts;
        WORD templateId = 0;
        bool pictured = false;
        // Painted whole, then given time to reach the screen (the full
        // dialog's preview a few frames) before the picture is taken.
        const int painted = row.type == TAVDIG_FULL ? 50 : 5;
        harness::setDialogDriver([&](HWND dialog, int pass) {
            if (pass == painted)
                RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            if (pass < painted + 10)
                return true;
            templateId = harness::libraryDialogTemplate(dialog);
            cuts = cutTexts(dialog);
            std::string path = folder + "\\dialog-" + std::to_string(templateId) + "-" + row.language + ".bmp";
            pictured = savePicture(dialog, path);
            return false;
        });
        if (row.type == TAVDIG_FULL) {
            EXPECT_EQ(TavDigCapture(nullptr), nullptr);
        } else {
            EXPECT_EQ(TavDigDialog(nullptr, row.type, nullptr), 0);
            DCardExit(1);
        }
        EXPECT_NE(templateId, 0) << row.language << " " << row.type;
        EXPECT_TRUE(pictured) << templateId << " " << row.language;
        for (const Cut& cut : cuts)
            ADD_FAILURE() << "dialog " << templateId << " (" << row.language << "), control "
                          << cut.id << ": \"" << narrow(cut.text) << "\" needs " << cut.needed
                          << " pixels and has " << cut.room;
    }
}

} // namespace
