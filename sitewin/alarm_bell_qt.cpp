#include <QApplication>
#include <cstdlib>

#include "sitewin/alarm_bell.h"

void SoundAlarmBell() { QApplication::beep(); }

std::string AlarmSettingsDir() {
    if (const char* dir = std::getenv("K7R2_CONFIG_DIR"); dir != nullptr && *dir != '\0') return dir;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.config/k7r2";
}
