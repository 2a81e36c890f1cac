// The list view's colour swatches: an icon of one colour beside the row's label.
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "ui/controls.h"
#include "ui/qt/control_widgets.h"

namespace {

constexpr int kSwatchSize = 12;

QTableWidgetItem* LabelItem(QWidget* widget, int row) {
    auto* list = qobject_cast<ListViewWidget*>(widget);
    return list != nullptr && row >= 0 && row < list->rowCount() ? list->item(row, 0) : nullptr;
}

}  // namespace

BOOL CListCtrl::SetItemSwatch(int row, std::uint32_t colour) {
    QTableWidgetItem* item = LabelItem(widget_, row);
    if (item == nullptr) return FALSE;
    QPixmap pixmap(kSwatchSize, kSwatchSize);
    pixmap.fill(QColor::fromRgb(colour | 0xFF000000u));
    item->setIcon(QIcon(pixmap));
    return TRUE;
}

std::uint32_t CListCtrl::GetItemSwatch(int row) const {
    QTableWidgetItem* item = LabelItem(widget_, row);
    if (item == nullptr || item->icon().isNull()) return 0;
    const QImage image = item->icon().pixmap(kSwatchSize, kSwatchSize).toImage();
    return image.isNull() ? 0 : image.pixel(kSwatchSize / 2, kSwatchSize / 2);
}
