#include <windows.h>

#include "link/text_codec.h"

namespace {

constexpr UINT kChineseCodePage = 936;

std::wstring Widen(const std::string& text, UINT codePage) {
    if (text.empty()) return {};
    const int length =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

std::string Narrow(const std::wstring& wide, UINT codePage) {
    if (wide.empty()) return {};
    // UTF-8 takes no default character; for code page 936 unmappable characters become '?'.
    const char* fallback = codePage == CP_UTF8 ? nullptr : "?";
    const int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, fallback, nullptr);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                        length, fallback, nullptr);
    return text;
}

}  // namespace

std::string Utf8ToGbk(const std::string& utf8) {
    return Narrow(Widen(utf8, CP_UTF8), kChineseCodePage);
}

std::string GbkToUtf8(const std::string& gbk) {
    return Narrow(Widen(gbk, kChineseCodePage), CP_UTF8);
}
