// Message boxes: recorded for the control API and answered at once, so that
// nothing ever waits for a user.
#include <mutex>

#include "platform/posix/control.h"
#include "platform/posix/recent_records.h"

namespace {

struct Boxes {
    std::mutex mutex;
    std::vector<standin::MessageBoxRecord> shown;
    int answer = IDOK;
};

Boxes& boxes()
{
    static Boxes& all = *new Boxes;
    return all;
}

} // namespace

namespace standin {

void setMessageBoxAnswer(int answer)
{
    std::lock_guard<std::mutex> hold(boxes().mutex);
    boxes().answer = answer;
}

std::vector<MessageBoxRecord> messageBoxes()
{
    std::lock_guard<std::mutex> hold(boxes().mutex);
    return boxes().shown;
}

void clearMessageBoxes()
{
    std::lock_guard<std::mutex> hold(boxes().mutex);
    boxes().shown.clear();
}

} // namespace standin

extern "C" int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    std::lock_guard<std::mutex> hold(boxes().mutex);
    standin::keepRecord(boxes().shown,
                        {owner, text ? text : "", caption ? caption : "Error", type});
    return boxes().answer;
}
