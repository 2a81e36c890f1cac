#include "link/registration_file.h"

#include "link/text_codec.h"

bool RegistrationFile::Open(const std::string& path) {
    in_.open(path, std::ios::binary);
    return in_.is_open();
}

bool RegistrationFile::NextLine(std::string& line) {
    if (!in_.is_open()) return false;
    std::string kept;
    bool any = false;
    bool ended = false;
    std::streambuf* buffer = in_.rdbuf();
    for (int c = buffer->sbumpc(); c != std::char_traits<char>::eof(); c = buffer->sbumpc()) {
        any = true;
        if (c == '\n') {
            ended = true;
            break;
        }
        // The rest of an overlong line is skipped rather than taken for the next line.
        if (kept.size() < kKeptLength) kept.push_back(static_cast<char>(c));
    }
    if (!any) return false;
    if (ended) kept.push_back('\n');
    line = GbkToUtf8(FromCrLf(kept));
    return true;
}
