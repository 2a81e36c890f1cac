#pragma once
// The Qt side of a CDialog: the window, its controls built from the template, the framework's
// keyboard handling, the system menu, and the receiver of synchronous messages. Private to the
// layer (and its test driver).
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>
#include <QPointer>

#include "ui/dialog_host.h"
#include "ui/dialog_template.h"
#include "ui/menu.h"
#include "ui/types.h"

class CDialog;
class CWnd;
class QAbstractButton;
class QMenu;
class QPushButton;
class SyncReceiver;
class WindowLink;

class DialogWidget : public QDialog, public DialogHost {
    Q_OBJECT
public:
    DialogWidget(CDialog* owner, QWidget* parent);
    ~DialogWidget() override;

    CDialog* Owner() const { return owner_; }
    const DialogTemplate& Template() const { return tpl_; }
    QWidget* Control(int id) const;
    // The template entry a control was built from; null for other widgets.
    const ControlTemplate* TemplateOf(const QWidget* control) const;
    // A CWnd of the control's class for GetDlgItem, owned by this window.
    CWnd* Item(int id) override;
    HWND SafeHwnd() const override { return HWND(link_); }
    // The radio buttons of the group that `id` belongs to, from `id` to the end of the group.
    std::vector<QAbstractButton*> RadioGroupFrom(int id) const;
    // Checks button `index` of the group (none for -1), unchecking the others.
    static void CheckRadio(const std::vector<QAbstractButton*>& group, int index);

    // Shows the window; focus to the first control that takes it when focusFirst.
    void ShowAndFocus(bool focusFirst);

    CMenu& SystemMenu() { return systemMenu_; }
    void RevertSystemMenu() { systemMenu_ = CMenu(); }
    std::vector<SystemMenuEntry> SystemMenuEntries() const;
    void PopupSystemMenu(const QPoint& globalPos);
    // WM_SYSCOMMAND with this command through the message map, as choosing it from the menu does.
    void InvokeSystemCommand(UINT id);

    const std::shared_ptr<WindowLink>& Link() const { return link_; }

    // WM_DESTROY through the map, the first time only.
    void SendDestroyOnce();
    // The dialog object lets go of this window: no more messages reach it.
    void Retire();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

public slots:
    // QDialog's own ways to end go through the framework's commands.
    void accept() override;
    void reject() override;

private:
    void Build();
    QWidget* CreateControl(const ControlTemplate& ctl, int index);
    void ConnectNotifications(QWidget* widget, const ControlTemplate& ctl);
    void SetAccessibleNames();
    void SetTabOrder();
    void BuildRadioGroups();
    bool HandleKey(QKeyEvent* event, QWidget* target);
    void Command(int id, UINT code);

    CDialog* owner_;
    DialogTemplate tpl_;
    std::vector<QWidget*> controls_;  // template order
    std::map<int, QWidget*> byId_;
    std::map<const QWidget*, std::size_t> indexOf_;
    std::vector<std::vector<QAbstractButton*>> radioGroups_;
    QPushButton* defaultButton_ = nullptr;
    CMenu systemMenu_;
    std::map<int, std::unique_ptr<CWnd>> items_;
    SyncReceiver* receiver_;
    std::shared_ptr<WindowLink> link_;
    bool destroySent_ = false;
    bool retired_ = false;
};
