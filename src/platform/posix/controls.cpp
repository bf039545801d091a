// The system's control classes as the dialog manager builds them: buttons
// (push, check box, radio, group box), static texts, edit fields, combo
// boxes with a drop-down list, and scroll bars. Each keeps its state in the
// window model and tells its dialog what the user did with WM_COMMAND.
#include <algorithm>
#include <mutex>

#include "platform/posix/controls.h"
#include "platform/posix/window_model.h"

namespace {

using standin::findWindow;
using standin::windowModel;
using standin::WindowRecord;

#define HOLD_MODEL std::lock_guard<std::recursive_mutex> hold(windowModel().lock)

DWORD buttonKind(const WindowRecord& record)
{
    return record.style & BS_TYPEMASK;
}

// The radio buttons of window's group: the siblings from the last WS_GROUP
// control at or before it up to the next WS_GROUP control, in template order.
std::vector<HWND> radioGroup(HWND window)
{
    HOLD_MODEL;
    std::vector<HWND> group;
    WindowRecord* record = findWindow(window);
    WindowRecord* parent = record ? findWindow(record->parent) : nullptr;
    if (!parent)
        return group;
    std::vector<HWND> order(parent->children.rbegin(), parent->children.rend());
    auto at = std::find(order.begin(), order.end(), window);
    auto start = at;
    while (start != order.begin() && !(findWindow(*start)->style & WS_GROUP))
        --start;
    for (auto it = start; it != order.end(); ++it) {
        if (it != start && (findWindow(*it)->style & WS_GROUP))
            break;
        const WindowRecord* member = findWindow(*it);
        if (member->className == "BUTTON" && (buttonKind(*member) == BS_AUTORADIOBUTTON ||
                                              buttonKind(*member) == BS_RADIOBUTTON))
            group.push_back(*it);
    }
    return group;
}

void notifyParent(HWND control, WORD code)
{
    HWND parent;
    LONG id;
    {
        HOLD_MODEL;
        WindowRecord* record = findWindow(control);
        if (!record)
            return;
        parent = record->parent;
        id = record->id;
    }
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

LRESULT CALLBACK buttonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case BM_GETCHECK: {
        HOLD_MODEL;
        WindowRecord* record = findWindow(window);
        return record ? record->control.check : 0;
    }
    case BM_SETCHECK: {
        HOLD_MODEL;
        if (WindowRecord* record = findWindow(window))
            record->control.check = static_cast<int>(wParam);
        return 0;
    }
    case BM_CLICK: {
        DWORD kind;
        {
            HOLD_MODEL;
            WindowRecord* record = findWindow(window);
            if (!record || (record->style & WS_DISABLED) || !(record->style & WS_VISIBLE))
                return 0;
            kind = buttonKind(*record);
            if (kind == BS_GROUPBOX)
                return 0;
            if (kind == BS_AUTOCHECKBOX)
                record->control.check = record->control.check == BST_CHECKED ? BST_UNCHECKED
                                                                             : BST_CHECKED;
        }
        // The group's other automatic radio buttons are unchecked, but only
        // those enabled and visible, as Windows walks a group.
        if (kind == BS_AUTORADIOBUTTON) {
            for (HWND member : radioGroup(window)) {
                bool reachable = false;
                {
                    HOLD_MODEL;
                    const WindowRecord* other = findWindow(member);
                    reachable = other && !(other->style & WS_DISABLED) && (other->style & WS_VISIBLE) &&
                                buttonKind(*other) == BS_AUTORADIOBUTTON;
                }
                if (member == window)
                    SendMessageA(member, BM_SETCHECK, BST_CHECKED, 0);
                else if (reachable)
                    SendMessageA(member, BM_SETCHECK, BST_UNCHECKED, 0);
            }
        }
        notifyParent(window, BN_CLICKED);
        return 0;
    }
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK comboProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HOLD_MODEL;
    WindowRecord* record = findWindow(window);
    if (!record)
        return CB_ERR;
    standin::ControlState& state = record->control;
    int count = static_cast<int>(state.items.size());
    switch (message) {
    case CB_ADDSTRING:
        state.items.emplace_back(lParam ? reinterpret_cast<const char*>(lParam) : "");
        return count;
    case CB_RESETCONTENT:
        state.items.clear();
        state.selection = -1;
        return 0;
    case CB_GETCOUNT:
        return count;
    case CB_GETCURSEL:
        return state.selection;
    case CB_SETCURSEL:
        if (static_cast<int>(wParam) < 0 || static_cast<int>(wParam) >= count) {
            state.selection = -1;
            return CB_ERR;
        }
        state.selection = static_cast<int>(wParam);
        return state.selection;
    case CB_SETDROPPEDWIDTH:
        state.droppedWidth = static_cast<int>(wParam);
        return std::max<LRESULT>(state.droppedWidth, record->rect.right - record->rect.left);
    case CB_GETDROPPEDWIDTH:
        return std::max<LRESULT>(state.droppedWidth, record->rect.right - record->rect.left);
    case CB_GETLBTEXT: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= count || !lParam)
            return CB_ERR;
        const std::string& text = state.items[index];
        std::copy(text.begin(), text.end(), reinterpret_cast<char*>(lParam));
        reinterpret_cast<char*>(lParam)[text.size()] = '\0';
        return static_cast<LRESULT>(text.size());
    }
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK scrollBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HOLD_MODEL;
    WindowRecord* record = findWindow(window);
    if (!record)
        return 0;
    standin::ControlState& state = record->control;
    switch (message) {
    case SBM_SETRANGE:
        state.scrollMin = static_cast<int>(wParam);
        state.scrollMax = static_cast<int>(lParam);
        state.scrollPos = std::clamp(state.scrollPos, std::min(state.scrollMin, state.scrollMax),
                                     std::max(state.scrollMin, state.scrollMax));
        return TRUE;
    case SBM_SETPOS: {
        int previous = state.scrollPos;
        int low = std::min(state.scrollMin, state.scrollMax);
        int high = std::max(state.scrollMin, state.scrollMax);
        state.scrollPos = std::clamp(static_cast<int>(wParam), low, high);
        return previous;
    }
    case SBM_GETPOS:
        return state.scrollPos;
    case SBM_GETRANGE:
        if (wParam)
            *reinterpret_cast<int*>(wParam) = state.scrollMin;
        if (lParam)
            *reinterpret_cast<int*>(lParam) = state.scrollMax;
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK plainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

namespace standin {

void registerSystemClasses()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const std::pair<const char*, WNDPROC> classes[] = {
            {"BUTTON", buttonProc}, {"COMBOBOX", comboProc}, {"SCROLLBAR", scrollBarProc},
            {"STATIC", plainProc},  {"EDIT", plainProc},
        };
        for (const auto& [name, procedure] : classes) {
            WNDCLASSA windowClass{};
            windowClass.style = CS_GLOBALCLASS;
            windowClass.lpfnWndProc = procedure;
            windowClass.lpszClassName = name;
            RegisterClassA(&windowClass);
        }
    });
}

const char* systemClassName(WORD atom)
{
    switch (atom) {
    case 0x80:
        return "BUTTON";
    case 0x81:
        return "EDIT";
    case 0x82:
        return "STATIC";
    case 0x84:
        return "SCROLLBAR";
    case 0x85:
        return "COMBOBOX";
    default:
        return nullptr;
    }
}

} // namespace standin
