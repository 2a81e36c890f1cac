#pragma once
// A fresh start directory for the fault log, removed again afterwards.
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "link/fault_log.h"

class TempLogDir {
public:
    TempLogDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "k7r2-start-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        dir_ = pattern;
        UseAsStartDir(dir_);
    }
    ~TempLogDir() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
        g_startDir[0] = '\0';
    }
    TempLogDir(const TempLogDir&) = delete;
    TempLogDir& operator=(const TempLogDir&) = delete;

    static void UseAsStartDir(const std::string& dir) {
        std::strncpy(g_startDir, dir.c_str(), kStartDirCapacity - 1);
        g_startDir[kStartDirCapacity - 1] = '\0';
    }
    const std::string& path() const { return dir_; }
    std::string logPath() const { return dir_ + "/K7R2_log.txt"; }
    bool LogExists() const { return std::filesystem::exists(logPath()); }
    // The log's raw bytes.
    std::string ReadLog() const {
        std::ifstream in(logPath(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string dir_;
};
