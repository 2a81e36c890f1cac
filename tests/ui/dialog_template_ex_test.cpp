// The system's in-memory dialog template built from ours, read back field by field the way the
// dialog manager walks it, and the names a screen reader gets for the same templates.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "res/dialog_templates.h"
#include "res/resource.h"
#include "ui/accessible_naming.h"
#include "ui/win32/dialog_template_ex.h"

namespace {

constexpr std::uint32_t kWsTabStop = 0x00010000, kWsGroup = 0x00020000, kDsSetFont = 0x40;

struct ParsedItem {
    std::uint32_t exStyle = 0, style = 0, id = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::u16string className, title;
    int titleOrdinal = -1;
};

struct ParsedDialog {
    std::uint32_t style = 0;
    int count = 0, cx = 0, cy = 0, points = 0, charset = 0;
    std::u16string caption, face;
    std::vector<ParsedItem> items;
    std::size_t endWord = 0;
};

class Reader {
public:
    explicit Reader(const std::vector<std::uint16_t>& words) : w_(words) {}
    std::uint16_t Word() { return w_.at(pos_++); }
    std::uint32_t Dword() {
        const std::uint32_t low = Word();
        return low | (static_cast<std::uint32_t>(Word()) << 16);
    }
    std::u16string Text() {
        std::u16string s;
        for (std::uint16_t c = Word(); c != 0; c = Word()) s.push_back(static_cast<char16_t>(c));
        return s;
    }
    void AlignDword() {
        if (pos_ % 2 != 0) {
            EXPECT_EQ(Word(), 0) << "padding must be zero";
        }
    }
    std::size_t Pos() const { return pos_; }

private:
    const std::vector<std::uint16_t>& w_;
    std::size_t pos_ = 0;
};

ParsedDialog Parse(const std::vector<std::uint16_t>& words) {
    Reader r(words);
    ParsedDialog d;
    EXPECT_EQ(r.Word(), 1);       // dlgVer
    EXPECT_EQ(r.Word(), 0xFFFF);  // extended template
    r.Dword();                    // helpID
    r.Dword();                    // exStyle
    d.style = r.Dword();
    d.count = r.Word();
    r.Word();
    r.Word();
    d.cx = static_cast<std::int16_t>(r.Word());
    d.cy = static_cast<std::int16_t>(r.Word());
    EXPECT_EQ(r.Word(), 0);  // menu
    EXPECT_EQ(r.Word(), 0);  // class
    d.caption = r.Text();
    d.points = r.Word();
    EXPECT_EQ(r.Word(), 400);
    const std::uint16_t italicCharset = r.Word();
    EXPECT_EQ(italicCharset & 0xFF, 0);
    d.charset = italicCharset >> 8;
    d.face = r.Text();
    for (int i = 0; i < d.count; ++i) {
        r.AlignDword();
        ParsedItem item;
        r.Dword();  // helpID
        item.exStyle = r.Dword();
        item.style = r.Dword();
        item.x = static_cast<std::int16_t>(r.Word());
        item.y = static_cast<std::int16_t>(r.Word());
        item.cx = static_cast<std::int16_t>(r.Word());
        item.cy = static_cast<std::int16_t>(r.Word());
        item.id = r.Dword();
        item.className = r.Text();
        if (std::uint16_t first = r.Word(); first == 0xFFFF) {
            item.titleOrdinal = r.Word();
        } else if (first != 0) {
            item.title.push_back(static_cast<char16_t>(first));
            item.title += r.Text();
        }
        EXPECT_EQ(r.Word(), 0);  // creation data
        d.items.push_back(item);
    }
    d.endWord = r.Pos();
    return d;
}

const ParsedItem& ItemWithId(const ParsedDialog& d, int id) {
    for (const ParsedItem& item : d.items) {
        if (item.id == static_cast<std::uint32_t>(id)) return item;
    }
    ADD_FAILURE() << "no control " << id;
    return d.items.front();
}

TEST(DialogTemplateEx, EveryDialogOfTheConsoleReadsBackWhole) {
    for (const DialogTemplate* tpl : {&ScannerDialogTemplate(), &Pt100DialogTemplate(),
                                      &AboutBoxTemplate(), &PortMapDialogTemplate(),
                                      &TrendDialogTemplate()}) {
        SCOPED_TRACE(tpl->caption);
        const std::vector<std::uint16_t> words = BuildDialogTemplateEx(*tpl);
        const ParsedDialog d = Parse(words);
        EXPECT_EQ(d.endWord, words.size()) << "the last item must end the buffer";
        EXPECT_NE(d.style & kDsSetFont, 0u);
        EXPECT_EQ(d.caption, Utf16FromUtf8(tpl->caption));
        EXPECT_EQ(d.face, u"宋体");
        EXPECT_EQ(d.points, 9);
        EXPECT_EQ(d.charset, 134);  // GB2312
        EXPECT_EQ(d.cx, tpl->cx);
        EXPECT_EQ(d.cy, tpl->cy);
        ASSERT_EQ(d.items.size(), tpl->controls.size());
        for (std::size_t i = 0; i < d.items.size(); ++i) {
            const ControlTemplate& ctl = tpl->controls[i];
            const ParsedItem& item = d.items[i];
            // A custom control is created from the window class its template names.
            EXPECT_EQ(item.className, ctl.kind == ControlKind::Custom
                                          ? Utf16FromUtf8(ctl.className)
                                          : std::u16string(ControlClassName(ctl.kind)));
            EXPECT_EQ(item.x, ctl.x);
            EXPECT_EQ(item.y, ctl.y);
            EXPECT_EQ(item.cx, ctl.cx);
            EXPECT_EQ(item.id, ctl.id == kNoId ? 0xFFFFFFFFu : static_cast<std::uint32_t>(ctl.id));
            if (ctl.kind != ControlKind::Icon) {
                EXPECT_EQ(item.title, Utf16FromUtf8(ctl.caption));
            }
        }
    }
}

TEST(DialogTemplateEx, StylesGiveTheKeyboardAndControlsTheirBehaviour) {
    const DialogTemplate& tpl = ScannerDialogTemplate();
    const ParsedDialog d = Parse(BuildDialogTemplateEx(tpl));
    // Tab reaches the first radio of the mode group only; the arrows move within it.
    EXPECT_NE(ItemWithId(d, IDC_MODE_SEMI_AUTO).style & kWsTabStop, 0u);
    EXPECT_NE(ItemWithId(d, IDC_MODE_SEMI_AUTO).style & kWsGroup, 0u);
    EXPECT_EQ(ItemWithId(d, IDC_MODE_MANUAL).style & (kWsTabStop | kWsGroup), 0u);
    EXPECT_NE(ItemWithId(d, IDC_PORT).style & kWsTabStop, 0u);
    // The SN bytes turn letters to upper case (ES_UPPERCASE).
    EXPECT_NE(ItemWithId(d, IDC_SN_BYTE1).style & 0x8u, 0u);
    EXPECT_EQ(ItemWithId(d, IDC_PORT).style & 0x8u, 0u);
    // A drop-down list (CBS_DROPDOWNLIST) whose template height leaves room for its list.
    const ParsedItem& baud = ItemWithId(d, IDC_BAUD);
    EXPECT_EQ(baud.style & 0x3u, 0x3u);
    EXPECT_GT(baud.cy, 64);
    // Report-style list views (LVS_REPORT).
    EXPECT_EQ(ItemWithId(d, IDC_LIST_LEFT).style & 0x3u, 0x1u);

    // The About box's icon is the icon resource by number, not a text.
    const ParsedDialog about = Parse(BuildDialogTemplateEx(AboutBoxTemplate()));
    bool sawIcon = false;
    for (const ParsedItem& item : about.items) {
        if (item.titleOrdinal >= 0) {
            sawIcon = true;
            EXPECT_EQ(item.titleOrdinal, IDR_MAINFRAME);
            EXPECT_EQ(item.style & 0x1Fu, 0x3u);  // SS_ICON
        }
    }
    EXPECT_TRUE(sawIcon);
}

TEST(DialogTemplateEx, TextCrossesToUtf16AndBackUnharmed) {
    const std::string text = "温度1 PT100 °C \xF0\x9F\x8C\xA1 &A";  // with a surrogate pair
    const std::u16string wide = Utf16FromUtf8(text);
    EXPECT_EQ(wide.substr(0, 3), u"温度1");
    EXPECT_EQ(Utf8FromUtf16(wide), text);
    EXPECT_EQ(Utf16FromUtf8("\xF0\x9F\x8C\xA1").size(), 2u);
    // Malformed input: each bad byte one replacement, the rest intact, never a read past the end.
    EXPECT_EQ(Utf16FromUtf8("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(Utf16FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong '/'
    EXPECT_EQ(Utf16FromUtf8("x\xE6\xB8"), u"x\uFFFD\uFFFD");  // cut short at the end
    EXPECT_EQ(Utf16FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // an encoded surrogate
    EXPECT_EQ(Utf8FromUtf16(u"\xD800x"), "\xEF\xBF\xBDx");  // a lone surrogate
}

TEST(AccessibleNaming, FieldsAreCalledByTheLabelBesideThemNotTheControlBefore) {
    const DialogTemplate& tpl = ScannerDialogTemplate();
    const std::vector<AccessibleNaming> names = AccessibleNamesOf(tpl);
    auto nameOf = [&](int id) {
        for (std::size_t i = 0; i < tpl.controls.size(); ++i) {
            if (tpl.controls[i].id == id) return names[i].name;
        }
        return std::string("?");
    };
    // The port field comes before its label in the template: still named by the label.
    EXPECT_EQ(nameOf(IDC_PORT), "串口号:");
    EXPECT_EQ(nameOf(IDC_BAUD), "波特率:");
    EXPECT_EQ(nameOf(IDC_SIGNAL_COUNT), "设置信号数:");
    EXPECT_EQ(nameOf(IDC_SN_BYTE1), "SN号:");
    EXPECT_EQ(nameOf(IDC_SN_BYTE2), "SN号第2字节");  // a fixed name wins
    EXPECT_EQ(nameOf(IDC_SINGLE_ACQUISITION), "单次采集");
    EXPECT_EQ(nameOf(IDC_MODE_MANUAL), "手动");

    // The trend window's chart and channel list have no label beside them: named by the
    // template; its buttons say their captions.
    const DialogTemplate& trend = TrendDialogTemplate();
    const std::vector<AccessibleNaming> trendNames = AccessibleNamesOf(trend);
    auto trendName = [&](int id) {
        for (std::size_t i = 0; i < trend.controls.size(); ++i) {
            if (trend.controls[i].id == id) return trendNames[i].name;
        }
        return std::string("?");
    };
    EXPECT_EQ(trendName(IDC_TREND_CHART), "温度趋势图");
    EXPECT_EQ(trendName(IDC_TREND_CHANNELS), "通道");
    EXPECT_EQ(trendName(IDC_TREND_EXPORT), "导出图片…");
    EXPECT_EQ(trendName(IDC_TREND_SPAN_1H), "1 小时");

    DialogTemplate own;
    own.controls = {{1, ControlKind::PushButton, "关于(&A)...", 0, 0, 40, 12},
                    {2, ControlKind::Static, "A&&B", 0, 20, 40, 12, kStyleNoPrefix},
                    {3, ControlKind::Static, "A&&B", 0, 40, 40, 12},
                    {4, ControlKind::Edit, "", 100, 100, 40, 12}};
    const std::vector<AccessibleNaming> ownNames = AccessibleNamesOf(own);
    EXPECT_EQ(ownNames[0].name, "关于(A)...");
    EXPECT_EQ(ownNames[1].name, "A&&B");
    EXPECT_EQ(ownNames[2].name, "A&B");
    EXPECT_EQ(ownNames[3].name, "");  // no label beside it: nothing made up
    EXPECT_FALSE(ownNames[3].label.has_value());
}

}  // namespace
