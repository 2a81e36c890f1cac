#include "sitewin/alarm_bell.h"

#include <filesystem>
#include <fstream>

namespace {

std::filesystem::path BellFile() {
    return std::filesystem::u8path(AlarmSettingsDir()) / "alarm-bell";
}

}  // namespace

bool LoadAlarmBellSetting() {
    std::ifstream in(BellFile());
    std::string word;
    return !(in >> word) || word != "off";
}

bool SaveAlarmBellSetting(bool on) {
    std::error_code ignored;
    std::filesystem::create_directories(BellFile().parent_path(), ignored);
    std::ofstream out(BellFile(), std::ios::trunc);
    out << (on ? "on" : "off") << '\n';
    return static_cast<bool>(out);
}
