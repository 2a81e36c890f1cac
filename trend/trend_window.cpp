#include "trend/trend_window.h"

#include <QPointer>

#include "trend/trend_widget.h"
#include "ui/wnd.h"

struct TrendWindow::Impl {
    const TrendStore& store;
    QPointer<TrendWidget> widget;  // deletes itself when closed, or goes with its owner
};

TrendWindow::TrendWindow(const TrendStore& store) : impl_(new Impl{store, {}}) {}

TrendWindow::~TrendWindow() { Close(); }

void TrendWindow::Open(CWnd& owner, const std::string& startDir) {
    if (!impl_->widget) {
        QWidget* parent = owner.GetWidget() != nullptr ? owner.GetWidget()->window() : nullptr;
        impl_->widget = new TrendWidget(impl_->store, startDir, parent);
    }
    impl_->widget->show();
    impl_->widget->raise();
    impl_->widget->activateWindow();
}

bool TrendWindow::IsOpen() const { return !impl_->widget.isNull(); }

void TrendWindow::Close() {
    // At once, not deferred: the widget reads a store that may go right after this.
    delete impl_->widget.data();
}

void TrendWindow::StoreChanged() {
    if (impl_->widget) impl_->widget->StoreChanged();
}

TrendWidget* TrendWindow::Widget() const { return impl_->widget.data(); }
