#pragma once
// The one place message boxes are shown (or handed to the test hook). Private to the layer.
#include <string>

#include "ui/types.h"

class QWidget;

// The application name: the caption of every message box.
std::string ApplicationCaption();

// User-interface thread only. owner may be null (a box without owner window).
int ShowMessageBox(QWidget* owner, const std::string& text, const std::string& caption,
                   UINT type);
