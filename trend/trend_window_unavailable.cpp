// The trend window of a build without its drawing: the menu item says so and nothing else
// happens; the store is still filled, so nothing is lost for a build that has it.
#include "trend/trend_window.h"

#include "ui/wnd.h"

struct TrendWindow::Impl {};

TrendWindow::TrendWindow(const TrendStore& /*store*/) {}
TrendWindow::~TrendWindow() = default;

void TrendWindow::Open(CWnd& owner, const std::string& /*startDir*/) {
    owner.MessageBox("此版本没有趋势图功能。", nullptr, MB_ICONWARNING);
}

bool TrendWindow::IsOpen() const { return false; }
void TrendWindow::Close() {}
void TrendWindow::StoreChanged() {}
TrendWidget* TrendWindow::Widget() const { return nullptr; }
