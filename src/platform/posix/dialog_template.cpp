// Dialog templates as a resource compiler lays them out: a header, the
// menu, class, caption and font, then DWORD-aligned items.
#include "platform/posix/dialog_template.h"

#include <cstring>

#include "platform/posix/controls.h"
#include "platform/posix/resources.h"

namespace {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : start_(data), at_(data), end_(data + size) {}

    bool ok() const { return ok_; }
    WORD word()
    {
        if (end_ - at_ < 2) {
            ok_ = false;
            return 0;
        }
        WORD value = static_cast<WORD>(at_[0] | (at_[1] << 8));
        at_ += 2;
        return value;
    }
    DWORD dword()
    {
        DWORD low = word();
        return low | (static_cast<DWORD>(word()) << 16);
    }
    short signedWord() { return static_cast<short>(word()); }
    std::string wideString()
    {
        std::vector<uint16_t> text;
        // Measured first, so that the text takes one allocation.
        size_t length = 0;
        for (const uint8_t* c = at_; end_ - c >= 2 && (c[0] | c[1]); c += 2)
            ++length;
        text.reserve(length);
        while (ok_)
            if (uint16_t c = word())
                text.push_back(c);
            else
                break;
        return standin::ansiFromWide(text.data(), text.size());
    }
    // A name or a number (0xFFFF, then the number): the number comes back
    // in ordinal, and the text empty.
    std::string nameOrOrdinal(WORD& ordinal)
    {
        ordinal = 0;
        if (end_ - at_ >= 2 && at_[0] == 0xFF && at_[1] == 0xFF) {
            word();
            ordinal = word();
            return std::string();
        }
        return wideString();
    }
    void alignDword()
    {
        size_t offset = static_cast<size_t>(at_ - start_);
        size_t skip = (4 - offset % 4) % 4;
        if (static_cast<size_t>(end_ - at_) < skip)
            ok_ = false;
        else
            at_ += skip;
    }
    void skip(size_t bytes)
    {
        if (static_cast<size_t>(end_ - at_) < bytes)
            ok_ = false;
        else
            at_ += bytes;
    }

private:
    const uint8_t* start_;
    const uint8_t* at_;
    const uint8_t* end_;
    bool ok_ = true;
};

} // namespace

namespace standin {

bool parseDialogTemplate(const uint8_t* data, size_t size, DialogTemplate& out)
{
    Reader in(data, size);
    out = DialogTemplate{};
    out.style = in.dword();
    out.exStyle = in.dword();
    if (!in.ok() || (out.style & 0xFFFF0000u) == 0xFFFF0000u) // an extended template
        return false;
    WORD count = in.word();
    out.x = in.signedWord();
    out.y = in.signedWord();
    out.cx = in.signedWord();
    out.cy = in.signedWord();
    WORD ordinal;
    in.nameOrOrdinal(ordinal); // menu
    in.nameOrOrdinal(ordinal); // class
    out.caption = in.wideString();
    if (out.style & DS_SETFONT) {
        out.fontSize = in.word();
        out.fontName = in.wideString();
    }
    for (WORD i = 0; i < count && in.ok(); ++i) {
        in.alignDword();
        DialogItem item;
        item.style = in.dword();
        item.exStyle = in.dword();
        item.x = in.signedWord();
        item.y = in.signedWord();
        item.cx = in.signedWord();
        item.cy = in.signedWord();
        item.id = in.word();
        std::string className = in.nameOrOrdinal(ordinal);
        if (ordinal) {
            const char* system = systemClassName(ordinal);
            if (!system)
                return false;
            className = system;
        }
        item.className = className;
        item.text = in.nameOrOrdinal(ordinal);
        in.skip(in.word()); // creation data
        out.items.push_back(std::move(item));
    }
    return in.ok();
}

} // namespace standin
