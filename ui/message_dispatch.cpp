// Messages to a dialog's message map: the same rows whatever draws the window.
#include "ui/dialog.h"

LRESULT CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        DispatchCommand(static_cast<int>(wParam & 0xFFFF), static_cast<UINT>(wParam >> 16));
        return 0;
    }
    if (message == WM_NOTIFY) {
        LRESULT result = 0;
        DispatchNotify(reinterpret_cast<NMHDR*>(lParam), &result);
        return result;
    }
    for (const MessageMapEntry& entry : GetMessageMap()) {
        if (entry.kind == MessageMapEntry::Kind::Message && entry.message == message) {
            return entry.handler(this, wParam, lParam);
        }
    }
    return Default(message, wParam, lParam);
}

bool CDialog::DispatchCommand(int id, UINT code) {
    for (const MessageMapEntry& entry : GetMessageMap()) {
        if (entry.kind == MessageMapEntry::Kind::Command && entry.id == id &&
            entry.code == code) {
            entry.handler(this, 0, 0);
            return true;
        }
    }
    // The framework's own rows for OK and Cancel.
    if (code == BN_CLICKED && id == IDOK) {
        OnOK();
        return true;
    }
    if (code == BN_CLICKED && id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool CDialog::DispatchNotify(NMHDR* header, LRESULT* result) {
    if (header == nullptr) return false;
    for (const MessageMapEntry& entry : GetMessageMap()) {
        if (entry.kind == MessageMapEntry::Kind::Notify && entry.id == header->idFrom &&
            entry.code == header->code) {
            *result = entry.handler(this, 0, reinterpret_cast<LPARAM>(header));
            return true;
        }
    }
    return false;
}
