#include <windows.h>

#include "link/text_codec.h"
#include "link/text_sequence_length.h"
#include "link/wide_text_win32.h"

namespace {

constexpr UINT kChineseCodePage = 936;

// One sequence's UTF-16, or nothing when the code page has no character for it. Whole-string
// calls would not do: Windows gives a character outside the BMP one '?' per surrogate, and
// maps the byte 0xFF, which GBK leaves undefined, to a private-use character of its own.
bool DecodeOne(const char* at, std::size_t length, UINT codePage, std::wstring& wide) {
    wchar_t units[4];
    const int count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, at,
                                          static_cast<int>(length), units, 4);
    if (count <= 0) return false;
    wide.assign(units, static_cast<std::size_t>(count));
    return true;
}

}  // namespace

std::string Utf8ToGbk(const std::string& utf8) {
    std::string out;
    std::wstring wide;
    for (std::size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            out.push_back(utf8[i++]);
            continue;
        }
        const std::size_t length = Utf8SequenceLength(utf8.data() + i, utf8.size() - i);
        char bytes[4];
        BOOL defaulted = FALSE;
        const int count =
            DecodeOne(utf8.data() + i, length, CP_UTF8, wide)
                ? WideCharToMultiByte(kChineseCodePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                                      static_cast<int>(wide.size()), bytes, sizeof bytes, "?",
                                      &defaulted)
                : 0;
        if (count > 0 && !defaulted) {
            out.append(bytes, static_cast<std::size_t>(count));
        } else {
            out.push_back('?');
        }
        i += length;
    }
    return out;
}

std::string GbkToUtf8(const std::string& gbk) {
    std::string out;
    std::wstring wide;
    for (std::size_t i = 0; i < gbk.size();) {
        if (static_cast<unsigned char>(gbk[i]) < 0x80) {
            out.push_back(gbk[i++]);
            continue;
        }
        const std::size_t length = GbkSequenceLength(gbk.data() + i, gbk.size() - i);
        // Of the single bytes above ASCII only 0x80 has a character: the euro sign.
        const bool decodable = length == 2 || static_cast<unsigned char>(gbk[i]) == 0x80;
        if (decodable && DecodeOne(gbk.data() + i, length, kChineseCodePage, wide)) {
            out += Utf8FromWide(wide);
        } else {
            out.push_back('?');
        }
        i += length;
    }
    return out;
}
