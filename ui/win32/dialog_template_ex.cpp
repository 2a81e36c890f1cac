#include "ui/win32/dialog_template_ex.h"

#include <cstdlib>

namespace {

// The system's values of the styles used here.
constexpr std::uint32_t kWsPopup = 0x80000000, kWsChild = 0x40000000, kWsVisible = 0x10000000,
                        kWsDisabled = 0x08000000, kWsCaption = 0x00C00000,
                        kWsBorder = 0x00800000, kWsVScroll = 0x00200000,
                        kWsHScroll = 0x00100000, kWsSysMenu = 0x00080000,
                        kWsGroup = 0x00020000, kWsMinimizeBox = 0x00020000,
                        kWsTabStop = 0x00010000;
constexpr std::uint32_t kDsSetFont = 0x40, kDsModalFrame = 0x80, kDsCenter = 0x0800;
constexpr std::uint32_t kWsExClientEdge = 0x200, kWsExAppWindow = 0x40000;
constexpr std::uint32_t kEsMultiline = 0x4, kEsUpperCase = 0x8, kEsAutoVScroll = 0x40,
                        kEsAutoHScroll = 0x80, kEsReadOnly = 0x800;
constexpr std::uint32_t kBsDefPushButton = 0x1, kBsGroupBox = 0x7, kBsAutoRadioButton = 0x9;
constexpr std::uint32_t kSsIcon = 0x3, kSsNoPrefix = 0x80, kSsNotify = 0x100;
constexpr std::uint32_t kCbsDropDown = 0x2, kCbsDropDownList = 0x3, kCbsAutoHScroll = 0x40;
constexpr std::uint32_t kLbsNotify = 0x1, kLbsNoIntegralHeight = 0x100;
constexpr std::uint32_t kLvsReport = 0x1, kLvsSingleSel = 0x4, kLvsShowSelAlways = 0x8,
                        kLvsEditLabels = 0x200;
constexpr std::uint32_t kUdsSetBuddyInt = 0x2, kUdsAlignRight = 0x4, kUdsAutoBuddy = 0x10,
                        kUdsArrowKeys = 0x20, kUdsNoThousands = 0x80;
// A combo box's template height is its dropped-down list's.
constexpr int kComboDropHeight = 120;

class Writer {
public:
    void Word(std::uint32_t value) { words_.push_back(static_cast<std::uint16_t>(value)); }
    void Dword(std::uint32_t value) {
        Word(value & 0xFFFF);
        Word(value >> 16);
    }
    void Text(const std::u16string& text) {
        for (char16_t c : text) Word(c);
        Word(0);
    }
    void Ordinal(std::uint16_t value) {
        Word(0xFFFF);
        Word(value);
    }
    void AlignDword() {
        if (words_.size() % 2 != 0) Word(0);
    }
    std::size_t Size() const { return words_.size(); }
    std::vector<std::uint16_t> Take() { return std::move(words_); }

private:
    std::vector<std::uint16_t> words_;
};

bool Has(const ControlTemplate& control, unsigned style) { return (control.style & style) != 0; }

}  // namespace

const char16_t* ControlClassName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Edit: return u"EDIT";
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
        case ControlKind::RadioButton:
        case ControlKind::GroupBox: return u"BUTTON";
        case ControlKind::Static:
        case ControlKind::Icon: return u"STATIC";
        case ControlKind::ComboDropList:
        case ControlKind::ComboDropDown: return u"COMBOBOX";
        case ControlKind::ListView: return u"SysListView32";
        case ControlKind::ListBox: return u"LISTBOX";
        case ControlKind::Spin: return u"msctls_updown32";
        case ControlKind::Custom: return u"K7R2Custom";  // the template names its own class
    }
    return u"STATIC";
}

std::uint32_t ControlStyle(const ControlTemplate& control) {
    std::uint32_t style = kWsChild | kWsVisible;
    bool tabStop = true;
    switch (control.kind) {
        case ControlKind::Edit:
            style |= kWsBorder | kEsAutoHScroll;
            if (Has(control, kStyleUpperCase)) style |= kEsUpperCase;
            if (Has(control, kStyleReadOnly)) style |= kEsReadOnly;
            if (Has(control, kStyleMultiline)) style |= kEsMultiline | kEsAutoVScroll;
            break;
        case ControlKind::PushButton: break;
        case ControlKind::DefPushButton: style |= kBsDefPushButton; break;
        case ControlKind::RadioButton:
            style |= kBsAutoRadioButton;
            // Within a group only the first radio is a tab stop; the arrows move between them.
            tabStop = Has(control, kStyleGroup);
            break;
        case ControlKind::GroupBox:
            style |= kBsGroupBox;
            tabStop = false;
            break;
        case ControlKind::Static:
            style |= kSsNotify;
            if (Has(control, kStyleNoPrefix)) style |= kSsNoPrefix;
            tabStop = false;
            break;
        case ControlKind::Icon:
            style |= kSsIcon;
            tabStop = false;
            break;
        case ControlKind::ComboDropList: style |= kCbsDropDownList | kWsVScroll; break;
        case ControlKind::ComboDropDown:
            style |= kCbsDropDown | kCbsAutoHScroll | kWsVScroll;
            break;
        case ControlKind::ListView:
            style |= kLvsReport | kLvsSingleSel | kLvsShowSelAlways | kWsBorder;
            if (Has(control, kStyleEditLabels)) style |= kLvsEditLabels;
            break;
        case ControlKind::ListBox:
            style |= kLbsNotify | kLbsNoIntegralHeight | kWsBorder | kWsVScroll | kWsHScroll;
            break;
        case ControlKind::Spin:
            style |= kUdsAlignRight | kUdsNoThousands;
            if (Has(control, kStyleSpinAutoBuddy)) style |= kUdsAutoBuddy;
            if (Has(control, kStyleSpinSetBuddyInt)) style |= kUdsSetBuddyInt;
            if (Has(control, kStyleSpinArrowKeys)) style |= kUdsArrowKeys;
            tabStop = false;
            break;
        case ControlKind::Custom: break;
    }
    if (tabStop) style |= kWsTabStop;
    if (Has(control, kStyleGroup)) style |= kWsGroup;
    if (Has(control, kStyleDisabled)) style |= kWsDisabled;
    if (Has(control, kStyleVScroll)) style |= kWsVScroll;
    return style;
}

std::uint32_t ControlExStyle(const ControlTemplate& control) {
    switch (control.kind) {
        case ControlKind::Edit:
        case ControlKind::ListView:
        case ControlKind::ListBox: return kWsExClientEdge;
        default: return 0;
    }
}

std::uint32_t DialogStyle(const DialogTemplate& tpl) {
    std::uint32_t style = kWsPopup | kWsCaption | kWsSysMenu | kDsSetFont | kDsModalFrame |
                          kDsCenter;
    if (tpl.minimizeBox) style |= kWsMinimizeBox;
    return style;
}

std::vector<std::uint16_t> BuildDialogTemplateEx(const DialogTemplate& tpl) {
    Writer out;
    out.Word(1);       // dlgVer
    out.Word(0xFFFF);  // signature: extended template
    out.Dword(0);      // helpID
    out.Dword(tpl.showInTaskbar ? kWsExAppWindow : 0);
    out.Dword(DialogStyle(tpl));
    out.Word(static_cast<std::uint32_t>(tpl.controls.size()));
    out.Word(0);  // x, y: centred by the system
    out.Word(0);
    out.Word(static_cast<std::uint32_t>(tpl.cx));
    out.Word(static_cast<std::uint32_t>(tpl.cy));
    out.Word(0);  // no menu: the menu bar is put on at run time
    out.Word(0);  // the system's dialog class
    out.Text(Utf16FromUtf8(tpl.caption));
    out.Word(static_cast<std::uint32_t>(tpl.fontPoints));
    out.Word(400);  // weight
    out.Word(0x8600);  // italic = 0, charset = GB2312_CHARSET (134)
    out.Text(Utf16FromUtf8(tpl.fontName));
    for (const ControlTemplate& control : tpl.controls) {
        out.AlignDword();
        out.Dword(0);  // helpID
        out.Dword(ControlExStyle(control));
        out.Dword(ControlStyle(control));
        out.Word(static_cast<std::uint32_t>(control.x));
        out.Word(static_cast<std::uint32_t>(control.y));
        out.Word(static_cast<std::uint32_t>(control.cx));
        const bool combo = control.kind == ControlKind::ComboDropList ||
                           control.kind == ControlKind::ComboDropDown;
        out.Word(static_cast<std::uint32_t>(combo ? control.cy + kComboDropHeight
                                                  : control.cy));
        // Controls without an id of their own share the system's "no id" value.
        out.Dword(control.id == kNoId ? 0xFFFFFFFFu : static_cast<std::uint32_t>(control.id));
        out.Text(control.kind == ControlKind::Custom && !control.className.empty()
                     ? Utf16FromUtf8(control.className)
                     : std::u16string(ControlClassName(control.kind)));
        if (control.kind == ControlKind::Icon) {
            out.Ordinal(static_cast<std::uint16_t>(std::atoi(control.caption.c_str())));
        } else {
            out.Text(Utf16FromUtf8(control.caption));
        }
        out.Word(0);  // no creation data
    }
    return out.Take();
}

std::u16string Utf16FromUtf8(const std::string& utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char lead = s[i];
        int extra = 0;
        char32_t cp = lead;
        if (lead >= 0xC2 && lead < 0xE0) {
            extra = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            extra = 2;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            extra = 3;
            cp = lead & 0x07;
        } else if (lead >= 0x80) {
            extra = -1;
        }
        bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < n + (extra == 0 ? 1 : 0);
        for (int k = 1; ok && k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) {
                ok = false;
            } else {
                cp = (cp << 6) | (s[i + k] & 0x3F);
            }
        }
        static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
            out.push_back(u'\uFFFD');  // a malformed sequence: one replacement per lead byte
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::string Utf8FromUtf16(const std::u16string& utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;  // a lone surrogate
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}
