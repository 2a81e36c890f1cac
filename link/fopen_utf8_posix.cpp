#include "link/fopen_utf8.h"

std::FILE* FopenUtf8(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}
