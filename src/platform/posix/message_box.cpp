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
    int answer;
    {
        std::lock_guard<std::mutex> hold(boxes().mutex);
        standin::keepRecord(boxes().shown,
                            {owner, text ? text : "", caption ? caption : "Error", type});
        answer = boxes().answer;
    }
    // A message box runs a modal loop of its own until it is answered: what
    // waits for the thread's other windows is dispatched meanwhile, and
    // WM_QUIT ends the box and is put back.
    MSG message;
    for (int handled = 0; handled < 64 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++handled) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        DispatchMessageA(&message);
    }
    return answer;
}
