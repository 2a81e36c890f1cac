#pragma once
#include <string>

// Replaces the clipboard's content with the text. False when the clipboard could not be set.
bool CopyTextToClipboard(std::string text);
