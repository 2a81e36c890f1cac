#pragma once
// The Win32 side of a CDialog: the native dialog window built from the template in memory, its
// dialog procedure, the system menu and the link other threads send through. Private to the
// layer (and its test driver). Sources including this include ui/win32/windows_api.h first.
#include <map>
#include <memory>
#include <vector>

#include "ui/dialog_template.h"
#include "ui/menu.h"
#include "ui/win32/windows_api.h"

class CDialog;
class CWnd;
class WindowLink;

class DialogWidget {
public:
    DialogWidget(CDialog* owner, NativeHwnd ownerWindow);
    ~DialogWidget();
    DialogWidget(const DialogWidget&) = delete;
    DialogWidget& operator=(const DialogWidget&) = delete;

    // Creates the (hidden) window; OnInitDialog runs inside. Null when the system refused.
    NativeHwnd Create();
    NativeHwnd Hwnd() const { return hwnd_; }
    NativeHwnd OwnerWindow() const { return ownerWindow_; }
    CDialog* Owner() const { return owner_; }
    const DialogTemplate& Template() const { return tpl_; }
    BOOL InitResult() const { return initResult_; }

    NativeHwnd Control(int id) const;
    const ControlTemplate* TemplateOf(int id) const;
    // A CWnd of the control's class for GetDlgItem, owned by this window.
    CWnd* Item(int id);
    // The radio buttons of the group that `id` belongs to, from `id` to the end of the group.
    std::vector<NativeHwnd> RadioGroupFrom(int id) const;

    CMenu& SystemMenu() { return systemMenu_; }
    void RevertSystemMenu();

    const std::shared_ptr<WindowLink>& Link() const { return link_; }

    // WM_DESTROY through the map, the first time only.
    void SendDestroyOnce();
    // The dialog object lets go: no more messages reach it; the window goes, and this object
    // with it once the system has destroyed the window.
    void Retire();

    // The dialog of a window of this layer, or null.
    static DialogWidget* FromHwnd(NativeHwnd hwnd);

private:
    static INT_PTR CALLBACK Proc(NativeHwnd hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void InitControls();
    void ApplySystemMenu();
    INT_PTR Result(LRESULT result);

    CDialog* owner_;
    NativeHwnd ownerWindow_;
    DialogTemplate tpl_;
    NativeHwnd hwnd_ = nullptr;
    BOOL initResult_ = TRUE;
    CMenu systemMenu_;
    std::size_t systemMenuApplied_ = 0;
    std::map<int, std::unique_ptr<CWnd>> items_;
    std::shared_ptr<WindowLink> link_;
    bool destroySent_ = false;
    bool retired_ = false;
};

// Wide text at the system's boundary.
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string WindowTextOf(NativeHwnd hwnd);
