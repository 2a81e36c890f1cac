#pragma once
// Number parsing of the data exchange. Private to the layer.
#include <string>

// A whole, optionally signed decimal integer, with blanks allowed around it, within int range.
bool ParseWholeInt(const std::string& text, int& value);
