#pragma once
// The bell on a new alarm: the system's warning sound, and whether the operator wants it,
// remembered between runs in the program's settings folder ($K7R2_CONFIG_DIR, else the
// platform's folder for the user's settings).
#include <string>

void SoundAlarmBell();
std::string AlarmSettingsDir();
bool LoadAlarmBellSetting();  // on unless switched off
bool SaveAlarmBellSetting(bool on);
