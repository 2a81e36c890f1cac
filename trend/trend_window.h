#pragma once
// The trend window "温度趋势", as the main window sees it: opened from the menu, fed after each
// reading that reached the store, closed with the main window. Non-modal; at most one.
#include <memory>
#include <string>

class CWnd;
class CTrendDlg;
class TrendStore;

class TrendWindow {
public:
    explicit TrendWindow(const TrendStore& store);
    ~TrendWindow();
    TrendWindow(const TrendWindow&) = delete;
    TrendWindow& operator=(const TrendWindow&) = delete;

    // Opens the window over `owner`, or brings it to the front when it is open. Exported
    // pictures are offered in `startDir`.
    void Open(CWnd& owner, const std::string& startDir);
    bool IsOpen() const;
    void Close();
    // The store has changed: an open window follows (coalesced, after the current handler).
    void StoreChanged();

    // The open window, for tests and benchmarks; null when closed.
    CTrendDlg* Dialog() const;

private:
    const TrendStore& store_;
    std::unique_ptr<CTrendDlg> dialog_;
};
