#include "ui/qt/deferred_icon_style.h"

#include <memory>
#include <optional>

#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>
#include <QWidget>

namespace {

// Stands in for a standard icon and asks the style for the real one the first time anything
// about the icon is wanted.
class DeferredIconEngine : public QIconEngine {
public:
    DeferredIconEngine(const DeferredIconStyle* style, QStyle::StandardPixmap which,
                       const QStyleOption* option, const QWidget* widget)
        : style_(const_cast<DeferredIconStyle*>(style)), which_(which),
          widget_(const_cast<QWidget*>(widget)), hadWidget_(widget != nullptr) {
        if (option != nullptr) option_.emplace(*option);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return Icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Icon().availableSizes(mode, state);
    }
    bool isNull() override { return Icon().isNull(); }
    QString key() const override { return QStringLiteral("k7r2-deferred-standard"); }
    QIconEngine* clone() const override {
        return new DeferredIconEngine(*this);
    }

private:
    DeferredIconEngine(const DeferredIconEngine&) = default;

    const QIcon& Icon() {
        if (!icon_) {
            // The widget may be gone by now; the icon does not depend on which widget asked.
            const QWidget* widget = hadWidget_ ? widget_.data() : nullptr;
            const QStyleOption* option = option_ ? &*option_ : nullptr;
            icon_ = style_ ? style_->LoadStandardIcon(which_, option, widget) : QIcon();
        }
        return *icon_;
    }

    QPointer<DeferredIconStyle> style_;
    QStyle::StandardPixmap which_;
    std::optional<QStyleOption> option_;
    QPointer<QWidget> widget_;
    bool hadWidget_;
    std::optional<QIcon> icon_;
};

}  // namespace

QIcon DeferredIconStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                      const QWidget* widget) const {
    return QIcon(new DeferredIconEngine(this, icon, option, widget));
}

QIcon DeferredIconStyle::LoadStandardIcon(StandardPixmap icon, const QStyleOption* option,
                                          const QWidget* widget) const {
    return QProxyStyle::standardIcon(icon, option, widget);
}
