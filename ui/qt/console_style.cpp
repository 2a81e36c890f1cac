#include "ui/qt/console_style.h"

#include <QStyleOptionViewItem>

bool ConsoleStyle::PlainRowsDrawNothing() const {
    if (!plainRowsDrawNothing_) {
        // The styles whose row panel is the common one; others (a desktop's own) may draw a
        // hover or a gradient into every row.
        const QString name = baseStyle()->name();
        plainRowsDrawNothing_ = name.compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0 ||
                                name.compare(QLatin1String("windows"), Qt::CaseInsensitive) == 0;
    }
    return *plainRowsDrawNothing_;
}

void ConsoleStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
    if (element == PE_PanelItemViewRow && PlainRowsDrawNothing()) {
        const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
        if (item != nullptr && (item->state & State_Selected) == 0 &&
            (item->features & QStyleOptionViewItem::Alternate) == 0) {
            return;
        }
    }
    DeferredIconStyle::drawPrimitive(element, option, painter, widget);
}
