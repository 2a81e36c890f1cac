#include "sim/control_file_watcher.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>

namespace {

std::string Stamp(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return {};
    return std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec) + "/" +
           std::to_string(info.st_size) + "/" + std::to_string(info.st_ino);
}

}  // namespace

ControlFileWatcher::ControlFileWatcher(std::string path, std::string extra,
                                       std::shared_ptr<ValueControl> control,
                                       std::function<void(const std::string&, bool failed)> report)
    : path_(std::move(path)),
      extra_(std::move(extra)),
      control_(std::move(control)),
      report_(std::move(report)) {}

ControlFileWatcher::~ControlFileWatcher() {
    Stop();
}

bool ControlFileWatcher::LoadNow(std::string& error) {
    const std::string stamp = Stamp(path_);
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        error = "cannot read control file " + path_;
        seen_ = stamp;
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    seen_ = stamp;
    if (!control_->Load(extra_ + "\n" + text, ValueControl::Now(), error)) {
        error = path_ + ": " + error;
        return false;
    }
    return true;
}

void ControlFileWatcher::Start() {
    std::lock_guard lock(mutex_);
    stopping_ = false;
    if (!thread_.joinable()) thread_ = std::thread(&ControlFileWatcher::Run, this);
}

void ControlFileWatcher::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void ControlFileWatcher::Run() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::milliseconds(50), [this] { return stopping_; })) {
        if (Stamp(path_) == seen_) continue;
        std::string error;
        const bool loaded = LoadNow(error);
        if (report_) report_(loaded ? "control: " + path_ + " read" : "control: " + error, !loaded);
    }
}
