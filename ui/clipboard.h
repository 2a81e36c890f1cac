#pragma once
#include <string>

// The text clipboard. False when it could not be set.
bool SetClipboardText(const std::string& text);
std::string GetClipboardText();
