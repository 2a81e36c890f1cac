#include "link/registration_file.h"

#include "link/fopen_utf8.h"
#include "link/text_codec.h"

RegistrationFile::~RegistrationFile() {
    if (file_ != nullptr) std::fclose(file_);
}

bool RegistrationFile::Open(const std::string& path) {
    if (file_ != nullptr) std::fclose(file_);
    // Through the UTF-8 open: a narrow open on Windows would miss a Chinese folder name.
    file_ = FopenUtf8(path, "rb");
    return file_ != nullptr;
}

bool RegistrationFile::NextLine(std::string& line) {
    if (file_ == nullptr) return false;
    std::string kept;
    bool any = false;
    bool ended = false;
    for (int c = std::fgetc(file_); c != EOF; c = std::fgetc(file_)) {
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
