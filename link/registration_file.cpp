#include "link/registration_file.h"

#include <cerrno>

#include "link/fopen_utf8.h"
#include "link/system_error_text.h"
#include "link/text_codec.h"

RegistrationFile::~RegistrationFile() {
    if (file_ != nullptr) std::fclose(file_);
}

bool RegistrationFile::Open(const std::string& path) {
    if (file_ != nullptr) std::fclose(file_);
    utf8_ = false;
    // Through the UTF-8 open: a narrow open on Windows would miss a Chinese folder name.
    file_ = FopenUtf8(path, "rb");
    if (file_ == nullptr || !recogniseBom_) return file_ != nullptr;
    char head[3] = {};
    const std::size_t got = std::fread(head, 1, sizeof head, file_);
    utf8_ = got == 3 && head[0] == '\xEF' && head[1] == '\xBB' && head[2] == '\xBF';
    if (!utf8_) std::rewind(file_);
    return true;
}

bool RegistrationFile::Open(const std::string& path, std::string& error) {
    errno = 0;
    if (!Open(path)) {
        error = SystemErrorText(errno != 0 ? errno : ENOENT);
        return false;
    }
    // A directory opens on POSIX systems; reading it is what fails.
    errno = 0;
    const int first = std::fgetc(file_);
    if (first == EOF) {
        error = std::ferror(file_) ? SystemErrorText(errno != 0 ? errno : EIO) : "文件是空的";
        std::fclose(file_);
        file_ = nullptr;
        return false;
    }
    std::ungetc(first, file_);
    return true;
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
    line = utf8_ ? FromCrLf(kept) : GbkToUtf8(FromCrLf(kept));
    return true;
}
