#pragma once
// A dialog template: what the resource compiler would hold for one dialog.
#include <string>
#include <vector>

enum class ControlKind {
    Edit,
    PushButton,
    DefPushButton,
    RadioButton,
    GroupBox,
    Static,      // text label; also the counters
    Icon,        // a static control showing an icon resource
    ComboDropList,   // drop-down list, no typing
    ComboDropDown,   // drop-down with an editable field
    ListView,    // report style
    ListBox,     // unsorted
    Spin,        // up-down control
    Custom,      // drawn by the dialog's own code (CCustomControl); see className
};

// Style bits that matter to the layer.
enum ControlStyle : unsigned {
    kStyleNone = 0,
    kStyleGroup = 1u << 0,      // opens a radio group / tab group
    kStyleUpperCase = 1u << 1,  // edit turns letters to upper case
    kStyleNoPrefix = 1u << 2,   // '&' shown as is
    kStyleReadOnly = 1u << 3,
    kStyleDisabled = 1u << 4,
    kStyleSpinAutoBuddy = 1u << 5,  // spin attaches to the previous control in template order
    kStyleSpinSetBuddyInt = 1u << 6,
    kStyleSpinArrowKeys = 1u << 7,
    kStyleVScroll = 1u << 8,
    kStyleMultiline = 1u << 9,
    kStyleEditLabels = 1u << 10,  // list view: the first column is edited in place (F2)
};

constexpr int kNoId = -1;

// A combo box's template height includes its dropped list; closed, it is one field this tall
// (dialog units).
constexpr int kComboFieldHeight = 14;

struct ControlTemplate {
    int id = kNoId;
    ControlKind kind = ControlKind::Static;
    std::string caption;  // UTF-8; for an icon, the icon resource number as text
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    unsigned style = kStyleNone;
    // What a screen reader calls a control that has neither a caption nor a label beside it.
    std::string accessibleName = {};
    // The window class of a Custom control.
    std::string className = {};
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    int cx = 0, cy = 0;  // dialog units
    std::string fontName = "宋体";
    int fontPoints = 9;
    bool minimizeBox = false;
    bool showInTaskbar = false;
    std::vector<ControlTemplate> controls;  // template (tab) order
    // Initial items of combo boxes, by control id.
    std::vector<std::pair<int, std::vector<std::string>>> comboItems;
};
