#include <windows.h>

#include "link/text_codec.h"
#include "link/wide_text_win32.h"

namespace {

constexpr UINT kChineseCodePage = 936;

}  // namespace

std::string Utf8ToGbk(const std::string& utf8) {
    return CodePageFromWide(WideFromUtf8(utf8), kChineseCodePage);
}

std::string GbkToUtf8(const std::string& gbk) {
    return Utf8FromWide(WideFromCodePage(gbk, kChineseCodePage));
}
