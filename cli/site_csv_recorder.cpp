#include "cli/site_csv_recorder.h"

#include <filesystem>

bool SiteCsvRecorder::Open(const Site& site, const std::string& directory, RecordFileMode mode,
                           std::string& error) {
    std::lock_guard lock(mutex_);
    std::error_code made;
    std::filesystem::create_directories(std::filesystem::u8path(directory), made);
    std::set<std::string> used;
    for (std::size_t bus = 0; bus < site.buses.size(); ++bus) {
        for (const SiteModule& module : site.buses[bus].modules) {
            // Two buses may hold the same address and name; the second gets its bus number.
            std::string name = ModuleCsvName(module);
            if (!used.insert(name).second) {
                name = "总线" + std::to_string(bus + 1) + "-" + name;
                used.insert(name);
            }
            const std::u8string joined =
                (std::filesystem::u8path(directory) / std::filesystem::u8path(name)).u8string();
            const std::string path(joined.begin(), joined.end());
            auto file = std::make_unique<ReadingsCsvFile>();
            if (!file->Open(path, mode, error)) {
                error = "无法创建文件 " + path + ": " + error;
                return false;
            }
            files_[{static_cast<int>(bus) + 1, module.address}] = std::move(file);
        }
    }
    return true;
}

void SiteCsvRecorder::OnSiteReading(const SiteReading& reading) {
    std::lock_guard lock(mutex_);
    if (const auto file = files_.find({reading.bus, reading.address}); file != files_.end()) {
        if (file->second->IsOpen() && !file->second->Append(reading.reading)) {
            writeFailed_ = true;
            file->second->Close();
        }
    }
}

void SiteCsvRecorder::Close() {
    std::lock_guard lock(mutex_);
    for (auto& [key, file] : files_) file->Close();
}

bool SiteCsvRecorder::WriteFailed() const {
    std::lock_guard lock(mutex_);
    return writeFailed_;
}
