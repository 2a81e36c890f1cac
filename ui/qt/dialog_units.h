#pragma once
// Dialog units to pixels, as Windows maps them for a 9-point template font: base units 6 x 12 at
// 96 DPI, x = du * base_x / 4, y = du * base_y / 8, both rounded. Private to the layer.
#include <QRect>
#include <QSize>

class QScreen;

class DialogUnits {
public:
    // dpi: the screen's logical DPI; base units grow with it.
    explicit DialogUnits(double dpi = 96.0);
    static DialogUnits ForScreen(const QScreen* screen);

    int X(int du) const;
    int Y(int du) const;
    // Corners are mapped, then the size taken between them, as MapDialogRect does.
    QRect Rect(int x, int y, int cx, int cy) const;
    QSize Size(int cx, int cy) const { return {X(cx), Y(cy)}; }

private:
    double baseX_;
    double baseY_;
};
