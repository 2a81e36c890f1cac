#pragma once
#include <string>

struct CliOutput;

struct ServeOptions {
    std::string siteFile;
    bool check = false;
    int statusIntervalS = 60;
    std::string csvDir = ".";  // the readings CSVs, one per module
};

// Runs the site until SIGTERM (or SIGINT); SIGHUP reloads the site file. The exit status.
int RunServe(const ServeOptions& options, const CliOutput& output);
