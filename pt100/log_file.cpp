#include "pt100/log_file.h"

#include <cstdio>

#include "link/fopen_utf8.h"
#include "link/text_codec.h"

bool WriteGbkTextFile(const std::string& path, const std::string& text) {
    const std::string bytes = ToCrLf(Utf8ToGbk(text));
    // The wide API on Windows, so a Chinese folder name in the path works.
    std::FILE* file = FopenUtf8(path, "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    // A full disk may show only when the buffer is flushed.
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}
