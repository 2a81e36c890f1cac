#pragma once
// The one place message boxes are shown (or handed to the test hook). Private to the layer.
#include <string>

#include "ui/win32/windows_api.h"

// The application name: the caption of every message box.
std::string ApplicationCaption();

// owner may be null (a box without owner window).
int ShowMessageBox(NativeHwnd owner, const std::string& text, const std::string& caption,
                   UINT type);
