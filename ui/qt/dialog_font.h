#pragma once
// The screen font for a dialog template's font. Private to the layer.
#include <string>

#include <QFont>

// "宋体" (and any other CJK face this system lacks) maps to an installed CJK face at the
// template's point size.
QFont DialogFont(const std::string& templateFace, int points);
