#pragma once
// Text at the system's boundary: UTF-8 inside, UTF-16 for the wide API. Private to the layer.
#include <string>

#include "ui/win32/windows_api.h"

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string WindowTextOf(NativeHwnd hwnd);
