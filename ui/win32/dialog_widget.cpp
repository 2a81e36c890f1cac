#include "ui/win32/dialog_widget.h"
#include "ui/win32/custom_control_class.h"

#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/resource_registry.h"
#include "ui/win32/accessible_names.h"
#include "ui/win32/dialog_template_ex.h"
#include "ui/win32/native_text.h"
#include "ui/win32/window_link.h"

namespace {

// The program's own messages: WM_USER up to the registered ones. The dialog manager's messages
// just above WM_USER (DM_GETDEFID, DM_SETDEFID) keep their meaning unless the map takes them.
constexpr UINT kFirstProgramMessage = 0x0400;
constexpr UINT kLastProgramMessage = 0x7FFF;

}  // namespace

std::wstring Wide(const std::string& utf8) {
    const std::u16string text = Utf16FromUtf8(utf8);
    return std::wstring(text.begin(), text.end());
}

std::string Utf8(const std::wstring& wide) {
    return Utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}

std::string WindowTextOf(NativeHwnd hwnd) {
    if (hwnd == nullptr) return {};
    const int length = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return Utf8(text);
}

DialogWidget::DialogWidget(CDialog* owner, NativeHwnd ownerWindow)
    : owner_(owner), ownerWindow_(ownerWindow), tpl_(owner->Template()) {}

DialogWidget::~DialogWidget() {
    if (link_) link_->Detach();
}

NativeHwnd DialogWidget::Create() {
    for (const ControlTemplate& control : tpl_.controls) {
        if (control.kind == ControlKind::Custom) RegisterCustomControlClass(control.className);
    }
    const std::vector<std::uint16_t> words = BuildDialogTemplateEx(tpl_);
    const auto* dialogTemplate = reinterpret_cast<const DLGTEMPLATE*>(words.data());
    hwnd_ = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), dialogTemplate,
                                         ownerWindow_, &DialogWidget::Proc,
                                         reinterpret_cast<LPARAM>(this));
    return hwnd_;
}

DialogWidget* DialogWidget::FromHwnd(NativeHwnd hwnd) {
    if (hwnd == nullptr) return nullptr;
    return reinterpret_cast<DialogWidget*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
}

NativeHwnd DialogWidget::Control(int id) const {
    return hwnd_ != nullptr ? ::GetDlgItem(hwnd_, id) : nullptr;
}

const ControlTemplate* DialogWidget::TemplateOf(int id) const {
    for (const ControlTemplate& control : tpl_.controls) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

CWnd* DialogWidget::Item(int id) {
    NativeHwnd control = Control(id);
    if (control == nullptr) return nullptr;
    auto& item = items_[id];
    if (!item) {
        const ControlTemplate* ctl = TemplateOf(id);
        switch (ctl != nullptr ? ctl->kind : ControlKind::Static) {
            case ControlKind::Edit: item = std::make_unique<CEdit>(); break;
            case ControlKind::PushButton:
            case ControlKind::DefPushButton:
            case ControlKind::RadioButton:
            case ControlKind::GroupBox: item = std::make_unique<CButton>(); break;
            case ControlKind::ComboDropList:
            case ControlKind::ComboDropDown: item = std::make_unique<CComboBox>(); break;
            case ControlKind::ListView: item = std::make_unique<CListCtrl>(); break;
            case ControlKind::ListBox: item = std::make_unique<CListBox>(); break;
            case ControlKind::Spin: item = std::make_unique<CSpinButtonCtrl>(); break;
            default: item = std::make_unique<CStatic>(); break;
        }
    }
    item->Attach(control);
    return item.get();
}

std::vector<NativeHwnd> DialogWidget::RadioGroupFrom(int id) const {
    std::vector<NativeHwnd> group;
    bool inGroup = false;
    for (const ControlTemplate& control : tpl_.controls) {
        if (!inGroup) {
            inGroup = control.id == id;
            if (!inGroup) continue;
        } else if (control.kind != ControlKind::RadioButton ||
                   (control.style & kStyleGroup) != 0) {
            break;
        }
        if (control.kind == ControlKind::RadioButton) group.push_back(Control(control.id));
    }
    return group;
}

void DialogWidget::RevertSystemMenu() {
    systemMenu_ = CMenu();
    systemMenuApplied_ = 0;
    if (hwnd_ != nullptr) ::GetSystemMenu(hwnd_, 1);
}

void DialogWidget::ApplySystemMenu() {
    // Items the dialog appended to its system menu since the last time.
    HMENU menu = ::GetSystemMenu(hwnd_, 0);
    const auto& items = systemMenu_.Items();
    for (; menu != nullptr && systemMenuApplied_ < items.size(); ++systemMenuApplied_) {
        const CMenu::Item& item = items[systemMenuApplied_];
        if ((item.flags & kNativeMfSeparator) != 0) {
            ::AppendMenuW(menu, kNativeMfSeparator, 0, nullptr);
        } else {
            ::AppendMenuW(menu, item.flags, item.id, Wide(item.text).c_str());
        }
    }
}

void DialogWidget::InitControls() {
    for (const auto& [id, items] : tpl_.comboItems) {
        NativeHwnd combo = Control(id);
        for (const std::string& text : items) {
            ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
        }
    }
    for (const ControlTemplate& control : tpl_.controls) {
        if (control.kind == ControlKind::Icon) {
            HICON icon = LoadIconResource(std::atoi(control.caption.c_str()));
            if (icon != nullptr) {
                ::SendMessageW(Control(control.id), STM_SETICON,
                               reinterpret_cast<WPARAM>(icon), 0);
            }
        }
    }
    SetAccessibleNames(*this);
}

void DialogWidget::SendDestroyOnce() {
    if (destroySent_ || retired_) return;
    destroySent_ = true;
    owner_->Dispatch(WM_DESTROY, 0, 0);
}

void DialogWidget::Retire() {
    retired_ = true;
    if (link_) link_->Detach();
    if (hwnd_ != nullptr && ::IsWindow(hwnd_)) {
        ::DestroyWindow(hwnd_);  // WM_NCDESTROY deletes this object
    } else {
        delete this;
    }
}

INT_PTR DialogWidget::Result(LRESULT result) {
    ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
    return 1;
}

INT_PTR CALLBACK DialogWidget::Proc(NativeHwnd hwnd, UINT message, WPARAM wParam,
                                    LPARAM lParam) {
    DialogWidget* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<DialogWidget*>(lParam);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    } else {
        self = FromHwnd(hwnd);
    }
    if (self == nullptr) return 0;
    if (message == WM_DESTROY && !self->retired_) {
        // The system destroys the window (its owner went first): the dialog still hears
        // WM_DESTROY while its controls exist, and lets go of this object, which goes with the
        // window below.
        self->SendDestroyOnce();
        if (self->retired_) return 0;  // the handler destroyed the window through the layer
        self->retired_ = true;
        if (self->link_) self->link_->Detach();
        self->owner_->ForgetWidget();
        return 0;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        if (self->link_) self->link_->Detach();
        self->hwnd_ = nullptr;
        if (self->retired_) delete self;
        return 0;
    }
    return self->Handle(message, wParam, lParam);
}

INT_PTR DialogWidget::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    constexpr UINT kWmCommand = 0x0111, kWmNotify = 0x004E, kWmSysCommand = 0x0112;
    if (retired_ && message != WM_INITDIALOG) return 0;
    switch (message) {
        case WM_INITDIALOG: {
            link_ = std::make_shared<WindowLink>(hwnd_);
            owner_->widget_ = hwnd_;  // the data exchange of OnInitDialog needs it
            InitControls();
            initResult_ = owner_->OnInitDialog();
            if (hwnd_ != nullptr && !retired_) ApplySystemMenu();
            // TRUE: the system puts the focus on the first control that takes it.
            return initResult_;
        }
        case kWmCommand: {
            const int id = LOWORD(wParam);
            const UINT code = HIWORD(wParam);
            // A menu item or accelerator (no control): code 0 as a command row expects.
            owner_->DispatchCommand(id, lParam == 0 ? 0 : code);
            return 1;
        }
        case kWmNotify: {
            const auto* native = reinterpret_cast<const NativeNmhdr*>(lParam);
            if (native == nullptr) return 0;
            constexpr UINT kUpDownDeltaPos = static_cast<UINT>(-722);
            if (native->code == kUpDownDeltaPos) {
                auto* nativeUpDown = reinterpret_cast<NativeNmUpDown*>(lParam);
                NMUPDOWN ours;
                ours.hdr.idFrom = static_cast<int>(native->idFrom);
                ours.hdr.code = native->code;
                ours.iPos = nativeUpDown->iPos;
                ours.iDelta = nativeUpDown->iDelta;
                LRESULT result = 0;
                if (!owner_->DispatchNotify(&ours.hdr, &result)) return 0;
                nativeUpDown->iDelta = ours.iDelta;
                return Result(result);
            }
            constexpr UINT kListViewItemChanged = static_cast<UINT>(-101);
            if (native->code == kListViewItemChanged) {
                const auto* nativeList = reinterpret_cast<const NativeNmListView*>(lParam);
                NMLISTVIEW ours;
                ours.hdr.idFrom = static_cast<int>(native->idFrom);
                ours.hdr.code = native->code;
                ours.iItem = nativeList->iItem;
                ours.iSubItem = nativeList->iSubItem;
                ours.uNewState = nativeList->uNewState;
                ours.uOldState = nativeList->uOldState;
                ours.uChanged = nativeList->uChanged;
                LRESULT result = 0;
                if (!owner_->DispatchNotify(&ours.hdr, &result)) return 0;
                return Result(result);
            }
            constexpr UINT kListViewKeyDown = static_cast<UINT>(-155);
            if (native->code == kListViewKeyDown &&
                reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == VK_F2 &&
                (::GetWindowLongPtrW(native->hwndFrom, GWL_STYLE) & LVS_EDITLABELS) != 0) {
                // The list view leaves F2 to its owner: it edits the focused row's label, as
                // the system's own lists do.
                const auto row = static_cast<int>(
                    ::SendMessageW(native->hwndFrom, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                   LVNI_FOCUSED));
                if (row >= 0) ::SendMessageW(native->hwndFrom, LVM_EDITLABELW, row, 0);
            }
            constexpr UINT kListViewBeginLabelEdit = static_cast<UINT>(-175);  // the wide one
            if (native->code == kListViewBeginLabelEdit) {
                NameLabelEditor(native->hwndFrom);
                return Result(0);  // the edit goes ahead
            }
            constexpr UINT kListViewEndLabelEdit = static_cast<UINT>(-176);
            if (native->code == kListViewEndLabelEdit) {
                const auto* nativeEdit = reinterpret_cast<const NMLVDISPINFOW*>(lParam);
                const std::string text =
                    nativeEdit->item.pszText != nullptr ? Utf8(nativeEdit->item.pszText) : "";
                NMLVDISPINFO ours;
                ours.hdr.idFrom = static_cast<int>(native->idFrom);
                ours.hdr.code = native->code;
                ours.item.iItem = nativeEdit->item.iItem;
                ours.item.pszText = nativeEdit->item.pszText != nullptr ? text.c_str() : nullptr;
                LRESULT result = 0;
                if (!owner_->DispatchNotify(&ours.hdr, &result)) return 0;
                return Result(result);
            }
            NMHDR ours;
            ours.idFrom = static_cast<int>(native->idFrom);
            ours.code = native->code;
            LRESULT result = 0;
            if (!owner_->DispatchNotify(&ours, &result)) return 0;
            return Result(result);
        }
        case kWmSysCommand: {
            // The dialog's map sees every system command; what it leaves to the default
            // processing comes back through CDialog::Default.
            owner_->Dispatch(kWmSysCommand, wParam, lParam);
            return 1;
        }
        case WM_CLOSE:
            owner_->DispatchCommand(2 /* IDCANCEL */, 0 /* BN_CLICKED */);
            return 1;
        default:
            break;
    }
    if (message >= kFirstProgramMessage && message <= kLastProgramMessage) {
        for (const MessageMapEntry& entry : owner_->GetMessageMap()) {
            if (entry.kind == MessageMapEntry::Kind::Message && entry.message == message) {
                return Result(owner_->Dispatch(message, wParam, lParam));
            }
        }
    }
    return 0;
}

DialogHost* DialogHostOf(NativeHwnd widget, bool orEnclosing) {
    if (widget != nullptr && orEnclosing) widget = ::GetAncestor(widget, GA_ROOT);
    return DialogWidget::FromHwnd(widget);
}
