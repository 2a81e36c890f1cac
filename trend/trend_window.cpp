#include "trend/trend_window.h"

#include "trend/trend_dialog.h"

TrendWindow::TrendWindow(const TrendStore& store) : store_(store) {}

TrendWindow::~TrendWindow() { Close(); }

void TrendWindow::Open(CWnd& owner, const std::string& startDir) {
    if (!IsOpen()) {
        // A window closed by its close box is gone; a new one starts from the store.
        dialog_ = std::make_unique<CTrendDlg>(store_, startDir, &owner);
        if (!dialog_->Create()) {
            dialog_.reset();
            return;
        }
    }
    dialog_->ShowWindow(true);
    dialog_->SetFocus();
}

bool TrendWindow::IsOpen() const { return dialog_ != nullptr && dialog_->IsCreated(); }

void TrendWindow::Close() {
    // At once: the window reads a store that may go right after this.
    if (IsOpen()) dialog_->DestroyWindow();
    dialog_.reset();
}

void TrendWindow::StoreChanged() {
    if (IsOpen()) dialog_->StoreChanged();
}

CTrendDlg* TrendWindow::Dialog() const { return IsOpen() ? dialog_.get() : nullptr; }
