#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <vector>

#include "link/file_append.h"

bool AppendToRegularFile(const std::string& path, const std::string& bytes) {
    // O_NOFOLLOW: a link planted in the file's place must not redirect the write elsewhere.
    // O_NONBLOCK: a FIFO in its place must not block the writer; fstat then refuses it.
    const int fd = open(path.c_str(),
                        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const bool closed = close(fd) == 0;
    return done > 0 && closed;
}

std::string LocalTimeOfDay() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[16] = "00:00:00";
    if (localtime_r(&now, &local) != nullptr) std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

std::string CurrentDirectory() {
    std::vector<char> buffer(256);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return {};
        buffer.resize(buffer.size() * 2);
    }
    std::string dir(buffer.data());
    while (!dir.empty() && dir.back() == '/') dir.pop_back();
    return dir;
}

char PathSeparator() {
    return '/';
}
