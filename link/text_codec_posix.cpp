#include <iconv.h>

#include <cerrno>

#include "link/text_codec.h"
#include "link/text_sequence_length.h"

namespace {

// Length of the unconvertible sequence to skip, from its first byte.
using SkipLength = std::size_t (*)(const char* at, std::size_t left);

iconv_t OpenConverter(const char* to, const char* from) {
    return iconv_open(to, from);
}

std::string Convert(const std::string& input, const char* to, const char* from, const char* altTo,
                    const char* altFrom, SkipLength skip) {
    iconv_t converter = OpenConverter(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) converter = OpenConverter(altTo, altFrom);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        // No converter at all: keep plain ASCII, mark the rest.
        std::string out;
        for (std::size_t i = 0; i < input.size();) {
            if (static_cast<unsigned char>(input[i]) < 0x80) {
                out.push_back(input[i++]);
            } else {
                out.push_back('?');
                i += skip(input.data() + i, input.size() - i);
            }
        }
        return out;
    }
    std::string out;
    char buffer[1024];
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        // Invalid or truncated sequence: one '?' for it, then carry on after it.
        out.push_back('?');
        const std::size_t skipped = skip(in, inLeft);
        in += skipped;
        inLeft -= skipped;
    }
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(converter, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    iconv_close(converter);
    return out;
}

}  // namespace

std::string Utf8ToGbk(const std::string& utf8) {
    return Convert(utf8, "GBK", "UTF-8", "CP936", "UTF-8", Utf8SequenceLength);
}

std::string GbkToUtf8(const std::string& gbk) {
    return Convert(gbk, "UTF-8", "GBK", "UTF-8", "CP936", GbkSequenceLength);
}
