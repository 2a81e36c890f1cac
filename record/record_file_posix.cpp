#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "record/record_file_impl.h"

namespace {

struct PosixRecordFile final : RecordFile::Impl {
    int fd = -1;

    ~PosixRecordFile() override { Close(); }

    bool Append(const std::string& bytes) override {
        if (fd < 0) return false;
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        // A removed file still takes writes through its descriptor, into nothing anyone can read.
        struct stat info {};
        return fstat(fd, &info) == 0 && info.st_nlink > 0;
    }

    void Close() override {
        if (fd >= 0) close(fd);
        fd = -1;
    }
};

}  // namespace

std::unique_ptr<RecordFile::Impl> CreateRecordFileImpl(const std::string& path, std::string& error) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        error = "not a regular file";
        return nullptr;
    }
    auto file = std::make_unique<PosixRecordFile>();
    file->fd = fd;
    return file;
}
