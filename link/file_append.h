#pragma once
#include <string>

// Appends bytes to a regular file, creating it when missing. Refuses to follow a symbolic link
// in the file's place or to write to anything but a regular file. False when nothing was written.
bool AppendToRegularFile(const std::string& path, const std::string& bytes);

// The local time of day as "HH:MM:SS".
std::string LocalTimeOfDay();
// The process's current working directory, without a trailing separator.
std::string CurrentDirectory();
char PathSeparator();
