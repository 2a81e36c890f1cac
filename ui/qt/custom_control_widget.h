#pragma once
// The Qt widget of a custom control: painting, size, pointer and focus go to the CCustomControl
// bound to it, which draws through a QPainter target. Private to the layer.
#include <QFontMetrics>
#include <QHash>
#include <QRegion>
#include <QStaticText>
#include <QWidget>

#include "ui/custom_control.h"

class CustomControlWidget : public QWidget {
public:
    explicit CustomControlWidget(QWidget* parent);
    ~CustomControlWidget() override;

    void Bind(CCustomControl* control) { control_ = control; }
    CCustomControl* Bound() const { return control_; }
    TextExtent Measure(const std::string& text) const;
    // Draws the bound control onto `device` (the widget itself or a picture).
    // `dirty`: the part to paint again, the rest left as it is; empty for all of it.
    void PaintOn(QPaintDevice& device, const QRegion& dirty = {});
    // The text prepared once in the widget's font: labels mostly stay from one paint to the next.
    const QStaticText& Prepared(const std::string& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    CCustomControl* control_ = nullptr;
    mutable QHash<QString, TextExtent> extents_;
    QHash<QString, QStaticText> texts_;
};
