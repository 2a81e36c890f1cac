#pragma once
// The alarm tables from a site file that is already parsed (toml11).
#include <toml.hpp>

#include "alarms/site_alarm_config.h"

std::optional<SiteAlarmConfig> SiteAlarmConfigFromToml(const toml::value& site, std::string& error);
