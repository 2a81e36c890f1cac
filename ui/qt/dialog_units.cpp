#include "ui/qt/dialog_units.h"

#include <cmath>

#include <QGuiApplication>
#include <QScreen>

namespace {

constexpr double kBaseX96 = 6.0;
constexpr double kBaseY96 = 12.0;

int Round(double v) { return static_cast<int>(std::lround(v)); }

}  // namespace

DialogUnits::DialogUnits(double dpi)
    : baseX_(kBaseX96 * (dpi > 0 ? dpi : 96.0) / 96.0),
      baseY_(kBaseY96 * (dpi > 0 ? dpi : 96.0) / 96.0) {}

DialogUnits DialogUnits::ForScreen(const QScreen* screen) {
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    return DialogUnits(screen != nullptr ? screen->logicalDotsPerInch() : 96.0);
}

int DialogUnits::X(int du) const { return Round(du * baseX_ / 4.0); }
int DialogUnits::Y(int du) const { return Round(du * baseY_ / 8.0); }

QRect DialogUnits::Rect(int x, int y, int cx, int cy) const {
    const int left = X(x), top = Y(y);
    return {left, top, X(x + cx) - left, Y(y + cy) - top};
}
