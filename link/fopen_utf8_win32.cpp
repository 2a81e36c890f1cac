#include <windows.h>

#include "link/fopen_utf8.h"
#include "link/wide_text_win32.h"

std::FILE* FopenUtf8(const std::string& path, const char* mode) {
    if (path.empty() || mode == nullptr) return nullptr;
    return _wfopen(WideFromUtf8(path).c_str(), WideFromUtf8(mode).c_str());
}
