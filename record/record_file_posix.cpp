#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "link/system_error_text.h"
#include "record/record_file_impl.h"

namespace {

struct PosixRecordFile final : RecordFile::Impl {
    int fd = -1;
    off_t size = 0;  // the end of the last whole record

    ~PosixRecordFile() override { Close(); }

    bool Append(const std::string& bytes, std::string& error) override {
        if (fd < 0) {
            error = SystemErrorText(EBADF);
            return false;
        }
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                // write() returns 0 only for an empty request; a full disk reports ENOSPC.
                error = SystemErrorText(n < 0 ? errno : EIO);
                // Cut the torn record off; if even that fails, the next record must not follow it.
                if (done > 0 && ftruncate(fd, size) != 0) Close();
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        // A removed file still takes writes through its descriptor, into nothing anyone can read.
        struct stat info {};
        if (fstat(fd, &info) != 0 || info.st_nlink == 0) {
            error = "文件已被删除";
            return false;
        }
        size += static_cast<off_t>(bytes.size());
        return true;
    }

    void Close() override {
        if (fd >= 0) close(fd);
        fd = -1;
    }
};

int OpenFlags(RecordFileMode mode) {
    // O_APPEND: every record goes to the end, also after a torn one was cut off again.
    const int common = O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC;
    switch (mode) {
        case RecordFileMode::Replace: return common | O_TRUNC;
        case RecordFileMode::New: return common | O_EXCL;
        case RecordFileMode::Append: return common;
    }
    return common;
}

}  // namespace

std::unique_ptr<RecordFile::Impl> CreateRecordFileImpl(const std::string& path, RecordFileMode mode,
                                                       std::string& error) {
    const int fd = open(path.c_str(), OpenFlags(mode), 0666);
    if (fd < 0) {
        error = SystemErrorText(errno);
        return nullptr;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        error = "不是普通文件";
        return nullptr;
    }
    auto file = std::make_unique<PosixRecordFile>();
    file->fd = fd;
    file->size = info.st_size;
    return file;
}
