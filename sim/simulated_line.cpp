#include "sim/simulated_line.h"

#include <utility>

#include "link/port_directory.h"

bool SimulatedLine::Start(int baud, int port, const std::string& directory,
                          std::function<void()> serve) {
    std::lock_guard lock(mutex_);
    if (started_) {
        error_ = "already started";
        return false;
    }
    std::string error;
    if (!line_.Open(baud, error)) {
        error_ = error;
        return false;
    }
    slavePath_ = line_.SlavePath();
    if (port != 0) {
        if (!published_.Publish(directory.empty() ? PortDirectory() : directory, port, slavePath_,
                                error)) {
            error_ = error;
            line_.Close();
            return false;
        }
        publishedPath_ = published_.Path();
    }
    started_ = true;
    stopping_ = false;
    thread_ = std::thread(std::move(serve));
    return true;
}

void SimulatedLine::Stop() {
    stopping_ = true;
    line_.Wake();
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(mutex_);
    published_.Withdraw();
    publishedPath_.clear();
    line_.Close();
    started_ = false;
}

std::string SimulatedLine::LastError() const {
    std::lock_guard lock(mutex_);
    return error_;
}

std::string SimulatedLine::SlavePath() const {
    std::lock_guard lock(mutex_);
    return slavePath_;
}

std::string SimulatedLine::PublishedPath() const {
    std::lock_guard lock(mutex_);
    return publishedPath_;
}
