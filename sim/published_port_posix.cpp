#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "sim/published_port.h"

namespace {

bool MakeDirectories(const std::string& directory, std::string& error) {
    std::string partial;
    std::size_t from = 0;
    while (from <= directory.size()) {
        const std::size_t slash = directory.find('/', from);
        partial = directory.substr(0, slash);
        from = slash == std::string::npos ? directory.size() + 1 : slash + 1;
        if (partial.empty()) continue;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            error = "cannot create " + partial + ": " + std::strerror(errno);
            return false;
        }
    }
    struct stat info {};
    if (::stat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = directory + " is not a directory";
        return false;
    }
    return true;
}

std::optional<std::string> ReadLink(const std::string& path) {
    char target[4096];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    if (n < 0) return std::nullopt;
    return std::string(target, static_cast<std::size_t>(n));
}

}  // namespace

std::string PublishedPortPath(const std::string& directory, int port) {
    char name[32];
    std::snprintf(name, sizeof name, "/COM%d", port);
    return directory + name;
}

bool PublishedPort::Publish(const std::string& directory, int port, const std::string& target,
                            std::string& error) {
    Withdraw();
    if (port < 1) {
        error = "port number must be 1 or more";
        return false;
    }
    if (!MakeDirectories(directory, error)) return false;
    const std::string path = PublishedPortPath(directory, port);
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) == 0) {
        if (!S_ISLNK(entry.st_mode)) {
            error = path + " exists and is not a link; not replacing it";
            return false;
        }
        struct stat device {};
        if (::stat(path.c_str(), &device) == 0) {
            error = path + " already points at " + ReadLink(path).value_or("?") +
                    ", which still exists (another simulator?)";
            return false;
        }
    }
    // Made under a temporary name and renamed, so the console never sees a half-made link.
    const std::string temporary = path + ".new." + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0) {
        error = "cannot create link " + temporary + ": " + std::strerror(errno);
        return false;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot create link " + path + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    path_ = path;
    target_ = target;
    return true;
}

void PublishedPort::Withdraw() {
    if (path_.empty()) return;
    // Another simulator may have taken the port over since; its link stays.
    if (ReadLink(path_) == target_) ::unlink(path_.c_str());
    path_.clear();
    target_.clear();
}
