#pragma once
#include <string>

// Files the console writes and reads are code page 936 (GBK) with CR LF line ends;
// everything inside is UTF-8 with LF. Characters that cannot be converted become '?'.
std::string Utf8ToGbk(const std::string& utf8);
std::string GbkToUtf8(const std::string& gbk);
std::string ToCrLf(const std::string& text);
std::string FromCrLf(const std::string& text);
