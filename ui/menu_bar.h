#pragma once
// A dialog's menu bar, above the controls of its template: pop-up menus of command items (each a
// CMenu filled with AppendMenu), and a short status text at its right end. A chosen item reaches
// the dialog's message map as WM_COMMAND with the item's id, so ON_COMMAND rows handle it.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/menu.h"
#include "ui/types.h"

class CDialog;

class CMenuBar {
public:
    CMenuBar();
    ~CMenuBar();
    CMenuBar(const CMenuBar&) = delete;
    CMenuBar& operator=(const CMenuBar&) = delete;

    // A pop-up menu titled `text` ('&' marks its access key), appended to the right of the
    // others; fill it before SetMenu.
    CMenu& AppendPopup(const std::string& text);

    // Puts the bar on the created dialog (call from OnInitDialog): the template's controls keep
    // their places below it and the window grows by the bar's height. False when the dialog has
    // no window or already carries a bar.
    BOOL SetMenu(CDialog& dialog);

    // MF_ENABLED or MF_GRAYED for the item with this command id; returns the previous state
    // (MF_ENABLED or MF_GRAYED), or -1 when there is no such item. Holds across SetMenu.
    int EnableMenuItem(UINT id, UINT enable);
    bool IsMenuItemEnabled(UINT id) const;

    // The text at the bar's right end, part of the window's accessible tree (renamed, with notice, as
    // it changes); empty hides it. `id` names the status for tests.
    void SetStatusText(int id, const std::string& text);
    std::string StatusText() const { return status_; }

    const std::vector<std::pair<std::string, CMenu>>& Popups() const { return popups_; }

private:
    struct Shown;  // the backend's side while the dialog's window exists
    bool HasItem(UINT id) const;
    // The backend's part: building the bar on the window, and showing a change of the model on
    // it once it is there.
    bool BarShown() const;
    void ShowBar(CDialog& dialog);
    void ShowItemEnabled(UINT id, bool enabled);
    void ShowStatus();

    std::vector<std::pair<std::string, CMenu>> popups_;
    std::vector<UINT> grayed_;
    int statusId_ = 0;
    std::string status_;
    std::unique_ptr<Shown> shown_;
};
