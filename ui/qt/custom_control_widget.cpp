#include "ui/qt/custom_control_widget.h"

#include <QFocusEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace {

// Texts no longer shown are forgotten now and then.
constexpr qsizetype kMostTexts = 512;
// Images go in strips: Qt hands a blend of a hundred rows or more to its thread pool, which
// costs more in wake-ups than it saves.
constexpr int kStripRows = 64;

class QtPaintTarget : public PaintTarget {
public:
    // `dirty`: the part asked to be painted again; empty for all of it.
    QtPaintTarget(QPainter& painter, CustomControlWidget& widget, const QRegion& dirty)
        : painter_(painter), widget_(widget), dirty_(dirty) {}

    bool NeedsPainting(int x, int y, int cx, int cy) const override {
        return dirty_.isEmpty() || dirty_.intersects(QRect(x, y, cx, cy));
    }

    void FillRect(int x, int y, int cx, int cy, std::uint32_t colour) override {
        if (cx > 0 && cy > 0) painter_.fillRect(QRect(x, y, cx, cy), QColor::fromRgba(colour));
    }
    void DrawLine(int x1, int y1, int x2, int y2, std::uint32_t colour) override {
        // Level and upright lines are one-pixel rectangles, far cheaper than the stroker.
        if (x1 == x2 || y1 == y2) {
            FillRect(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) + 1,
                     std::abs(y2 - y1) + 1, colour);
            return;
        }
        painter_.setPen(QPen(QColor::fromRgba(colour), 0));
        painter_.drawLine(x1, y1, x2, y2);
    }
    void DrawText(int x, int y, int cx, int cy, const std::string& text, TextAlignment align,
                  std::uint32_t colour) override {
        const QStaticText& prepared = widget_.Prepared(text);
        const QSizeF size = prepared.size();
        double left = x;
        if (align == TextAlignment::Centre) left += (cx - size.width()) / 2;
        if (align == TextAlignment::Right) left += cx - size.width();
        painter_.setPen(QColor::fromRgba(colour));
        painter_.drawStaticText(QPointF(left, y + (cy - size.height()) / 2), prepared);
    }
    void DrawImage(int x, int y, int cx, int cy, const std::uint32_t* pixels) override {
        if (cx <= 0 || cy <= 0 || pixels == nullptr) return;
        const QImage image(reinterpret_cast<const uchar*>(pixels), cx, cy, cx * 4,
                           QImage::Format_RGB32);
        for (int top = 0; top < cy; top += kStripRows) {
            painter_.drawImage(QPoint(x, y + top), image,
                               QRect(0, top, cx, std::min(kStripRows, cy - top)));
        }
    }

private:
    QPainter& painter_;
    CustomControlWidget& widget_;
    const QRegion& dirty_;
};

}  // namespace

CustomControlWidget::CustomControlWidget(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);  // the control fills every pixel it owns
    setFocusPolicy(Qt::StrongFocus);
}

CustomControlWidget::~CustomControlWidget() {
    if (control_ != nullptr) control_->Detach();
}

TextExtent CustomControlWidget::Measure(const std::string& text) const {
    const QString key = QString::fromStdString(text);
    auto it = extents_.find(key);
    if (it == extents_.end()) {
        if (extents_.size() > kMostTexts) extents_.clear();
        const QFontMetrics metrics(font());
        it = extents_.insert(key, TextExtent{metrics.horizontalAdvance(key), metrics.height()});
    }
    return *it;
}

const QStaticText& CustomControlWidget::Prepared(const std::string& text) {
    const QString key = QString::fromStdString(text);
    auto it = texts_.find(key);
    if (it == texts_.end()) {
        if (texts_.size() > kMostTexts) texts_.clear();
        QStaticText prepared(key);
        prepared.setTextFormat(Qt::PlainText);
        prepared.prepare(QTransform(), font());
        it = texts_.insert(key, prepared);
    }
    return *it;
}

void CustomControlWidget::PaintOn(QPaintDevice& device, const QRegion& dirty) {
    QPainter painter(&device);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(font());
    if (control_ == nullptr) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    QtPaintTarget target(painter, *this, dirty);
    control_->OnPaint(target);
}

void CustomControlWidget::paintEvent(QPaintEvent* event) { PaintOn(*this, event->region()); }

void CustomControlWidget::resizeEvent(QResizeEvent*) {
    if (control_ != nullptr) control_->OnSize(width(), height());
}

void CustomControlWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (control_ != nullptr) control_->OnMouseMove(p.x(), p.y());
}

void CustomControlWidget::leaveEvent(QEvent*) {
    if (control_ != nullptr) control_->OnMouseLeave();
}

void CustomControlWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (control_ != nullptr) control_->OnFocus(true);
}

void CustomControlWidget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (control_ != nullptr) control_->OnFocus(false);
}

void CustomControlWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        extents_.clear();
        texts_.clear();
        if (control_ != nullptr) control_->OnSize(width(), height());  // measured again
    }
    QWidget::changeEvent(event);
}

// --- CCustomControl --------------------------------------------------------------------------

namespace {

CustomControlWidget* AsCustom(QWidget* widget) { return dynamic_cast<CustomControlWidget*>(widget); }

}  // namespace

CCustomControl::~CCustomControl() {
    if (auto* w = AsCustom(widget_)) w->Bind(nullptr);
}

BOOL CCustomControl::SubclassDlgItem(int id, CWnd* parent) {
    CWnd* item = parent != nullptr ? parent->GetDlgItem(id) : nullptr;
    auto* w = item != nullptr ? AsCustom(item->GetWidget()) : nullptr;
    if (w == nullptr) return FALSE;
    if (auto* old = AsCustom(widget_)) old->Bind(nullptr);
    if (w->Bound() != nullptr) w->Bound()->Detach();
    Attach(w);
    w->Bind(this);
    OnSize(w->width(), w->height());
    return TRUE;
}

void CCustomControl::Invalidate() {
    if (widget_ != nullptr) widget_->update();
}

void CCustomControl::InvalidateRect(int x, int y, int cx, int cy) {
    if (widget_ != nullptr && cx > 0 && cy > 0) widget_->update(QRect(x, y, cx, cy));
}

int CCustomControl::ClientWidth() const { return widget_ != nullptr ? widget_->width() : 0; }
int CCustomControl::ClientHeight() const { return widget_ != nullptr ? widget_->height() : 0; }

TextExtent CCustomControl::GetTextExtent(const std::string& text) const {
    auto* w = AsCustom(widget_);
    return w != nullptr ? w->Measure(text) : TextExtent{};
}

BOOL CCustomControl::SavePng(const std::string& path) {
    auto* w = AsCustom(widget_);
    if (w == nullptr) return FALSE;
    QImage picture(w->size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    w->PaintOn(picture);
    return picture.save(QString::fromStdString(path), "PNG") ? TRUE : FALSE;
}
