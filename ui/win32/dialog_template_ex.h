#pragma once
// Our DialogTemplate as the system's in-memory extended dialog template (DLGTEMPLATEEX with its
// DLGITEMTEMPLATEEX items): positions in dialog units of the template's font, control ids,
// window classes and styles, tab order = template order. Plain bytes, no system headers, so the
// layout can be checked on any platform.
#include <cstdint>
#include <string>
#include <vector>

#include "ui/dialog_template.h"

// Window classes of the controls.
const char16_t* ControlClassName(ControlKind kind);
// The window style and extended style of one control.
std::uint32_t ControlStyle(const ControlTemplate& control);
std::uint32_t ControlExStyle(const ControlTemplate& control);
// The dialog's own style: popup with caption and system menu, the template's font.
std::uint32_t DialogStyle(const DialogTemplate& tpl);

// The whole template; 16-bit words, so the buffer is aligned for the system.
std::vector<std::uint16_t> BuildDialogTemplateEx(const DialogTemplate& tpl);

// UTF-8 to UTF-16 and back, as the wide API takes text; malformed bytes become U+FFFD.
std::u16string Utf16FromUtf8(const std::string& utf8);
std::string Utf8FromUtf16(const std::u16string& utf16);
