#pragma once
#include <string>

// Replaces the file at `path` with `text` as a code page 936 text file, every line feed stored as
// CR LF. False when the file could not be opened or written whole.
bool WriteGbkTextFile(const std::string& path, const std::string& text);
