#include "regs/reg_tables.h"

#include <cstring>
#include <mutex>

#include "support/module_state.h"

namespace {

constexpr char kDegree[] = "\xB0";
constexpr double kHueScale = 1.40629;
constexpr double kGainScale = 0.01562;

constexpr DCardRegInfo row(const char* name, const char* label, uint32_t id, uint32_t reg,
                           int32_t shift, int32_t width, bool isSigned, int32_t defValue,
                           int32_t minValue, int32_t maxValue, const char* unit = "",
                           double scale = 1.0, int32_t isBoolean = 0)
{
    return DCardRegInfo{0,        name,     label,    id << 16 | reg, shift, width,
                        isSigned, defValue, minValue, maxValue,       unit,  scale,
                        isBoolean};
}

constexpr DCardRegInfo kMarker = row("", "", 0, 0, 0, 0, false, 0, 0, 0);

// The signed 8-bit minimums are stored as the pattern 0x80; the first
// refresh extends them to -128.
constexpr DCardRegInfo kBridgeRows[] = {
    row("YstartHPS", "(7146) YStart (HYO)", 0x0001, 0x05C, 12, 8, false, 0, 0, 255),
    row("Brightness", "(7146) Brightness (BRIG)", 0x0002, 0x070, 24, 8, false, 0, 0, 255),
    row("Invert", "(7146) Inverting", 0x0003, 0x070, 23, 1, false, 0, 0, 1, "", 1.0, 1),
    row("Contrast", "(7146) Contrast (CONT)", 0x0004, 0x070, 16, 7, false, 0, 0, 127),
    row("Saturation", "(7146) Saturation (SATN)", 0x0006, 0x070, 0, 7, false, 0, 0, 127),
    row("VL", "(7146) Lower limit V for chroma-keying (VL)", 0x0007, 0x074, 24, 8, true, 0, 0x80,
        127),
    row("VU", "(7146) Upper limit V for chroma-keying (VU)", 0x0008, 0x074, 16, 8, true, 0, 0x80,
        127),
    row("UL", "(7146) Lower limit U for chroma-keying (UL)", 0x0009, 0x074, 8, 8, true, 0, 0x80,
        127),
    row("UU", "(7146) Upper limit U for chroma-keying (UU)", 0x000A, 0x074, 0, 8, true, 0, 0x80,
        127),
    row("Xstart", "(7146) XStart (HXO)", 0x0018, 0x06C, 0, 12, false, 1, 0, 4095),
    kMarker,
};

constexpr DCardRegInfo kSaa7110Rows[] = {
    row("Hue", "(7110) Hue (HUEC)", 0x0005, 0x207, 0, 8, true, 0, 0x80, 127, kDegree, kHueScale),
    row("PLSI", "(7110) Pal switch sensivity (PLSI)", 0x000B, 0x20A, 0, 8, false, 0, 0, 255),
    row("CHCV", "(7110) Chrominance gain reference value (CHCV)", 0x000C, 0x211, 0, 8, false, 0,
        0, 255),
    row("SATN", "(7110) Chrominance saturation control (SATN)", 0x000D, 0x212, 0, 8, true, 0,
        0x80, 127, "", kGainScale),
    row("CONT", "(7110) Luminance contrast control (CONT)", 0x000E, 0x213, 0, 8, true, 0, 0x80,
        127, "", kGainScale),
    row("BRIG", "(7110) Luminance brightness control (BRIG)", 0x000F, 0x219, 0, 8, false, 0, 0,
        255),
    row("CLL21", "(7110) Clamping level control 21 (CLL21)", 0x0010, 0x223, 0, 8, false, 0, 1,
        254),
    row("CLL22", "(7110) Clamping level control 22 (CLL22)", 0x0011, 0x224, 0, 8, false, 0, 1,
        254),
    row("CLL31", "(7110) Clamping level control 31 (CLL31)", 0x0012, 0x225, 0, 8, false, 0, 1,
        254),
    row("CLL32", "(7110) Clamping level control 32 (CLL32)", 0x0013, 0x226, 0, 8, false, 0, 1,
        254),
    row("VTRMODE", "(7110) Video Tape mode", 0x0014, 0x20D, 7, 1, false, 0, 0, 1, "", 1.0, 1),
    row("GAIN2", "(7110) Static Gain Control 2", 0x0015, 0x227, 0, 6, false, 0, 0, 63),
    row("GAIN3", "(7110) Static Gain Control 3", 0x0016, 0x22A, 0, 6, false, 0, 0, 63),
    row("GAIN4", "(7110) Static Gain Control 4", 0x0017, 0x22B, 0, 6, false, 0, 0, 63),
    row("RedGain", "Pellam Red gain", 0x001B, 0x2B4, 0, 8, false, 152, 0, 255),
    row("GreenGain", "Pellam Green gain", 0x001C, 0x2B5, 0, 8, false, 152, 0, 255),
    row("BlueGain", "Pellam Blue gain", 0x001D, 0x2B6, 0, 8, false, 152, 0, 255),
    kMarker,
};

// Every row stores the identifier 0x000B; the refresh numbers them.
constexpr DCardRegInfo kKs0127bRows[] = {
    row("CON0127B", "(KS0127B) Contrast Control (CON)", 0x000B, 0x210, 0, 8, true, 0, -128, 127),
    row("BRT0127B", "(KS0127B) Brightness Control (BRT)", 0x000B, 0x211, 0, 8, true, 0, -128,
        127),
    row("SAT0127B", "(KS0127B) Saturation Control (SAT)", 0x000B, 0x215, 0, 7, false, 0, 0, 127),
    row("HUE0127B", "(KS0127B) Hue Control (HUE)", 0x000B, 0x216, 0, 8, false, 0, 0, 255),
    row("AGC0127B", "(KS0127B) Static GAIN Control (AGC)", 0x000B, 0x20B, 0, 8, false, 96, 0, 255),
    row("HAVBLO0127B", "(KS0127B) HAV Begin Low (HAVB)", 0x000B, 0x205, 0, 8, false, 12, 0, 255),
    row("HAVELO0127B", "(KS0127B) HAV End Low (HAVE)", 0x000B, 0x206, 0, 8, false, 16, 0, 255),
    kMarker,
};

constexpr int kBridgeRowCount = sizeof(kBridgeRows) / sizeof(kBridgeRows[0]) - 1;
constexpr int kSaa7110RowCount = sizeof(kSaa7110Rows) / sizeof(kSaa7110Rows[0]) - 1;
constexpr int kKs0127bRowCount = sizeof(kKs0127bRows) / sizeof(kKs0127bRows[0]) - 1;
static_assert(kBridgeRowCount == 10, "ten bridge rows");
static_assert(kSaa7110RowCount == 17, "17 SAA7110 rows");
static_assert(kKs0127bRowCount == 7, "7 KS0127B rows");

struct Tables {
    std::mutex lock;
    DCardRegInfo bridge[sizeof(kBridgeRows) / sizeof(kBridgeRows[0])];
    DCardRegInfo saa7110[sizeof(kSaa7110Rows) / sizeof(kSaa7110Rows[0])];
    DCardRegInfo ks0127b[sizeof(kKs0127bRows) / sizeof(kKs0127bRows[0])];

    Tables() { restore(); }

    void restore()
    {
        memcpy(bridge, kBridgeRows, sizeof(bridge));
        memcpy(saa7110, kSaa7110Rows, sizeof(saa7110));
        memcpy(ks0127b, kKs0127bRows, sizeof(ks0127b));
    }
};

Tables& tables()
{
    return moduleState<Tables>();
}

bool isMarker(const DCardRegInfo& info)
{
    return info.name[0] == '\0' && info.label[0] == '\0';
}

// The first row of the view, in order, that matches (row, position), or
// null. The caller holds the lock.
template <class Match> DCardRegInfo* firstRow(Tables& t, int decoderType, Match matches)
{
    int position = 0;
    for (DCardRegInfo* row = t.bridge; !isMarker(*row); ++row, ++position)
        if (matches(*row, position))
            return row;
    DCardRegInfo* decoder = decoderType == kDecoderSaa7110   ? t.saa7110
                            : decoderType == kDecoderKs0127b ? t.ks0127b
                                                             : nullptr;
    for (DCardRegInfo* row = decoder; row && !isMarker(*row); ++row, ++position)
        if (matches(*row, position))
            return row;
    return nullptr;
}

// The row at a position of the view (the bridge's rows, then the
// decoder's), or null. The caller holds the lock.
DCardRegInfo* rowAt(Tables& t, int decoderType, int position)
{
    if (position < 0)
        return nullptr;
    if (position < kBridgeRowCount)
        return &t.bridge[position];
    position -= kBridgeRowCount;
    if (decoderType == kDecoderSaa7110 && position < kSaa7110RowCount)
        return &t.saa7110[position];
    if (decoderType == kDecoderKs0127b && position < kKs0127bRowCount)
        return &t.ks0127b[position];
    return nullptr;
}

} // namespace

bool copyBridgeDescriptor(int index, DCardRegInfo* out)
{
    if (!out || index < 0 || index >= kBridgeRowCount)
        return false;
    Tables& t = tables();
    std::lock_guard<std::mutex> hold(t.lock);
    memcpy(out, &t.bridge[index], sizeof(DCardRegInfo));
    return true;
}

bool findDescriptor(int decoderType, int position, uint32_t id, const char* name,
                    DCardRegInfo* out)
{
    if (position < -1 || !name)
        return false;
    Tables& t = tables();
    std::lock_guard<std::mutex> hold(t.lock);
    // A position alone names its row: no row has an empty name, and the
    // refresh numbers identifiers from 1, so none is 0xFFFFFFFF.
    const DCardRegInfo* row;
    if (id == 0xFFFFFFFFu && !*name) {
        row = rowAt(t, decoderType, position);
    } else {
        // One pass: a lookup per position would make enumerating the view,
        // as the dialogs do for every camera, cubic in its length.
        row = firstRow(t, decoderType, [&](const DCardRegInfo& r, int at) {
            // The first characters first: most rows differ there, and a
            // call of strcmp costs more than the rest of the test.
            return at == position || r.regNum == id ||
                   (r.name[0] == name[0] && strcmp(r.name, name) == 0);
        });
    }
    if (!row)
        return false;
    if (out)
        memcpy(out, row, sizeof(DCardRegInfo));
    return true;
}

bool updateDescriptor(int decoderType, int position, void (*update)(DCardRegInfo&, void*),
                      void* context)
{
    Tables& t = tables();
    std::lock_guard<std::mutex> hold(t.lock);
    DCardRegInfo* row = rowAt(t, decoderType, position);
    if (!row)
        return false;
    update(*row, context);
    return true;
}

void resetDescriptorTables()
{
    Tables& t = tables();
    std::lock_guard<std::mutex> hold(t.lock);
    t.restore();
}
