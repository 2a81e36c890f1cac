#pragma once
// The program's arguments as UTF-8, like every path inside the program. Backends:
// arguments_posix.cpp, arguments_win32.cpp.
#include <string>
#include <vector>

std::vector<std::string> Utf8Arguments(int argc, char** argv);
