#include "pt100/log_file.h"

#include <cstdio>

#include "link/text_codec.h"

bool WriteGbkTextFile(const std::string& path, const std::string& text) {
    const std::string bytes = ToCrLf(Utf8ToGbk(text));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    // A full disk may show only when the buffer is flushed.
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}
