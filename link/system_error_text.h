#pragma once
// A system error number as the user reads it: Chinese, with the error's name for searching,
// e.g. "磁盘空间不足 (ENOSPC)".
#include <string>

std::string SystemErrorText(int error);
