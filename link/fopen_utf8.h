#pragma once
// fopen for the program's UTF-8 paths: on Windows the narrow fopen would read them in the ANSI
// code page and miss a Chinese folder name. The backends (fopen_utf8_*.cpp) implement it.
#include <cstdio>
#include <string>

std::FILE* FopenUtf8(const std::string& path, const char* mode);
