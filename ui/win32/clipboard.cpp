#include "ui/win32/windows_api.h"

#include <cstring>

#include "link/text_codec.h"
#include "ui/clipboard.h"
#include "ui/win32/dialog_widget.h"

namespace {

bool PutData(UINT format, const void* data, std::size_t bytes) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) return false;
    void* target = ::GlobalLock(memory);
    if (target == nullptr) {
        ::GlobalFree(memory);
        return false;
    }
    std::memcpy(target, data, bytes);
    ::GlobalUnlock(memory);
    if (::SetClipboardData(format, memory) == nullptr) {
        ::GlobalFree(memory);
        return false;
    }
    return true;  // the clipboard owns it now
}

// Another program may hold the clipboard for a moment.
bool OpenClipboardSoon() {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (::OpenClipboard(nullptr)) return true;
        ::Sleep(10);
    }
    return false;
}

}  // namespace

bool SetClipboardText(const std::string& text) {
    if (!OpenClipboardSoon()) return false;
    ::EmptyClipboard();
    // Unicode for every program, and code page 936 for those that read only 8-bit text,
    // whatever the system's own code page is.
    const std::wstring wide = Wide(ToCrLf(text));
    bool ok = PutData(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    const std::string gbk = Utf8ToGbk(ToCrLf(text));
    ok = PutData(CF_TEXT, gbk.c_str(), gbk.size() + 1) && ok;
    ::CloseClipboard();
    return ok;
}

std::string GetClipboardText() {
    if (!OpenClipboardSoon()) return {};
    std::string text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = FromCrLf(Utf8(chars));
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}
