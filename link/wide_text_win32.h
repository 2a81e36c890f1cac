#pragma once
// Text between the program's own strings (UTF-8, or code page 936 for what the module and its
// files carry) and the UTF-16 of the Windows wide API. For the *_win32.cpp backends only.
#include <windows.h>

#include <string>

// Empty for empty text or text the code page cannot convert.
std::wstring WideFromCodePage(const std::string& text, UINT codePage);
// Characters the code page has no place for become '?' (UTF-8 has a place for every one).
std::string CodePageFromWide(const std::wstring& wide, UINT codePage);

// Paths and names stay UTF-8 inside the program; the wide API gets them as UTF-16.
inline std::wstring WideFromUtf8(const std::string& utf8) {
    return WideFromCodePage(utf8, CP_UTF8);
}
inline std::string Utf8FromWide(const std::wstring& wide) {
    return CodePageFromWide(wide, CP_UTF8);
}
