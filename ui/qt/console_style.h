#pragma once
// The console's style: the application's (deferred standard icons), except that an item
// view's row panel is left out where the platform style would draw nothing into it. A list
// asks for that panel under every cell it paints, and the style works out its frame and
// highlight colours first each time; a list that repaints its changed numbers at every
// reading spent more on that than on the numbers.
#include <optional>

#include "ui/qt/deferred_icon_style.h"

class ConsoleStyle : public DeferredIconStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    // Whether the platform style draws a row panel only for selected and alternate rows.
    bool PlainRowsDrawNothing() const;
    mutable std::optional<bool> plainRowsDrawNothing_;
};
