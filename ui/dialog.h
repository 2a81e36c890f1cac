#pragma once
// CDialog: a dialog built from a template, with data exchange, a message map, the framework's
// OK/Cancel, and modal or modeless runs.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/dialog_template.h"
#include "ui/message_map.h"
#include "ui/wnd.h"

class CDataExchange;
class CMenu;
class DialogWidget;  // the backend's side, private to the layer

class CDialog : public CWnd {
public:
    explicit CDialog(const DialogTemplate& tpl, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally: builds the widgets, OnInitDialog, shows, runs until EndDialog;
    // then WM_DESTROY goes through the message map and the widgets are destroyed.
    // Returns IDOK, IDCANCEL or the value given to EndDialog.
    virtual int DoModal();
    // Builds and shows the dialog without a modal loop (tests and embedding); OnInitDialog runs.
    BOOL Create();
    // Ends the dialog: the modal loop returns `result`; a modeless dialog is destroyed.
    void EndDialog(int result);
    BOOL DestroyWindow();
    bool IsCreated() const;
    // The value given to EndDialog during the current (or last) modal run; empty before that.
    std::optional<int> EndDialogResult() const { return endResult_; }

    // TRUE: controls -> members with validation; FALSE: members -> controls.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    CMenu* GetSystemMenu(BOOL revert);
    void SetIcon(HICON icon, BOOL bigIcon);

    const DialogTemplate& Template() const { return tpl_; }
    // Dispatches a message through the message map (user-interface thread only).
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // Runs the row for a control notification, if any; true when one ran.
    bool DispatchCommand(int id, UINT code);
    bool DispatchNotify(NMHDR* header, LRESULT* result);

    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual void OnOK();
    virtual void OnCancel();

protected:
    virtual const MessageMap& GetMessageMap() const;
    // The default processing of a message the map does not take (WM_SYSCOMMAND's window commands).
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend class DialogWidget;
    friend void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
    enum class RunMode { None, Modal, Modeless };

    bool Build();
    // WM_DESTROY (once), then the widgets go: at once, or at the next event-loop turn when the
    // call may come from inside one of the widget's own event handlers.
    void DestroyWidgets(bool deferred);
    void ForgetWidget();  // the widget is being deleted by someone else

    DialogTemplate tpl_;
    CWnd* parent_ = nullptr;
    std::unique_ptr<DialogWidget> widget_owner_;
    RunMode mode_ = RunMode::None;
    bool inModalLoop_ = false;
    std::optional<int> endResult_;
    std::vector<CWnd*> attached_;  // control members bound by DDX_Control
};

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    // Marks the exchange failed at the last control: message already shown, focus set. Every later
    // DDX/DDV call does nothing.
    void Fail();
    bool Failed() const { return failed_; }
    NativeWidget* PrepareCtrl(int id);  // records id as the control a later DDV refers to

    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
    int m_idLastControl = 0;

private:
    bool failed_ = false;
};

void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
void DDX_Text(CDataExchange* pDX, int id, int& value);
void DDX_Text(CDataExchange* pDX, int id, std::string& value);
// Towards the member: the text shown; towards the control: select the first item beginning with it.
void DDX_CBString(CDataExchange* pDX, int id, std::string& value);
// id is the first radio of a group; the member is the index of the checked one, -1 for none.
void DDX_Radio(CDataExchange* pDX, int id, int& value);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minValue, int maxValue);
