#pragma once
// Message maps as tables: each row ties a command notification of a control, a WM_NOTIFY code of
// a control, or a window message to one handler of the dialog class.
#include <functional>
#include <vector>

#include "ui/types.h"

class CWnd;

struct MessageMapEntry {
    enum class Kind { Command, Notify, Message };
    Kind kind = Kind::Message;
    UINT message = 0;  // Kind::Message: the message number
    UINT code = 0;     // Kind::Command / Kind::Notify: the notification code
    int id = 0;        // Kind::Command / Kind::Notify: the control id
    // Receives the window, wParam and lParam (for Notify, lParam is the NMHDR*).
    std::function<LRESULT(CWnd*, WPARAM, LPARAM)> handler;
};
using MessageMap = std::vector<MessageMapEntry>;

template <class T>
MessageMapEntry ON_COMMAND_CODE(UINT code, int id, void (T::*fn)()) {
    return {MessageMapEntry::Kind::Command, 0, code, id, [fn](CWnd* w, WPARAM, LPARAM) {
                (static_cast<T*>(w)->*fn)();
                return LRESULT{0};
            }};
}
template <class T>
MessageMapEntry ON_BN_CLICKED(int id, void (T::*fn)()) {
    return ON_COMMAND_CODE(BN_CLICKED, id, fn);
}
// A menu command: WM_COMMAND with the item's id and notification code 0.
template <class T>
MessageMapEntry ON_COMMAND(int id, void (T::*fn)()) {
    return ON_COMMAND_CODE(0, id, fn);
}
template <class T>
MessageMapEntry ON_CBN_SELCHANGE(int id, void (T::*fn)()) {
    return ON_COMMAND_CODE(CBN_SELCHANGE, id, fn);
}
template <class T>
MessageMapEntry ON_CBN_EDITCHANGE(int id, void (T::*fn)()) {
    return ON_COMMAND_CODE(CBN_EDITCHANGE, id, fn);
}
template <class T>
MessageMapEntry ON_EN_CHANGE(int id, void (T::*fn)()) {
    return ON_COMMAND_CODE(EN_CHANGE, id, fn);
}
template <class T>
MessageMapEntry ON_NOTIFY(UINT code, int id, void (T::*fn)(NMHDR*, LRESULT*)) {
    return {MessageMapEntry::Kind::Notify, 0, code, id, [fn](CWnd* w, WPARAM, LPARAM l) {
                LRESULT result = 0;
                (static_cast<T*>(w)->*fn)(reinterpret_cast<NMHDR*>(l), &result);
                return result;
            }};
}
template <class T>
MessageMapEntry ON_MESSAGE(UINT message, LRESULT (T::*fn)(WPARAM, LPARAM)) {
    return {MessageMapEntry::Kind::Message, message, 0, 0, [fn](CWnd* w, WPARAM wp, LPARAM lp) {
                return (static_cast<T*>(w)->*fn)(wp, lp);
            }};
}
template <class T>
MessageMapEntry ON_WM_SYSCOMMAND(void (T::*fn)(UINT, LPARAM)) {
    return {MessageMapEntry::Kind::Message, WM_SYSCOMMAND, 0, 0, [fn](CWnd* w, WPARAM wp, LPARAM lp) {
                (static_cast<T*>(w)->*fn)(static_cast<UINT>(wp), lp);
                return LRESULT{0};
            }};
}
template <class T>
MessageMapEntry ON_WM_PAINT(void (T::*fn)()) {
    return {MessageMapEntry::Kind::Message, WM_PAINT, 0, 0, [fn](CWnd* w, WPARAM, LPARAM) {
                (static_cast<T*>(w)->*fn)();
                return LRESULT{0};
            }};
}
template <class T, class R>
MessageMapEntry ON_WM_QUERYDRAGICON(R (T::*fn)()) {
    return {MessageMapEntry::Kind::Message, WM_QUERYDRAGICON, 0, 0, [fn](CWnd* w, WPARAM, LPARAM) {
                return reinterpret_cast<LRESULT>((static_cast<T*>(w)->*fn)());
            }};
}
template <class T>
MessageMapEntry ON_WM_DESTROY(void (T::*fn)()) {
    return {MessageMapEntry::Kind::Message, WM_DESTROY, 0, 0, [fn](CWnd* w, WPARAM, LPARAM) {
                (static_cast<T*>(w)->*fn)();
                return LRESULT{0};
            }};
}
