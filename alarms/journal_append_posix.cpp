#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "alarms/journal_append.h"

bool AppendJournalRecord(const std::string& path, const std::string& header,
                         const std::string& record, std::string& error) {
    const int fd = open(path.c_str(),
                        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        error = "不是普通文件";
        return false;
    }
    const std::string bytes = info.st_size == 0 ? header + record : record;
    // One write: O_APPEND puts it whole at the end, also with another writer on the file.
    ssize_t written = -1;
    do {
        written = write(fd, bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    const int writeErrno = errno;
    const bool closed = close(fd) == 0;
    if (written != static_cast<ssize_t>(bytes.size())) {
        error = written < 0 ? std::strerror(writeErrno) : "写入不完整";
        return false;
    }
    if (!closed) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}
