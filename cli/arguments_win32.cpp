#include <windows.h>
#include <shellapi.h>

#include "cli/arguments.h"
#include "link/wide_text_win32.h"

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    // The narrow argv is in the ANSI code page: a Chinese file name there is already lost.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> args;
    args.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) args.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
    return args;
}
