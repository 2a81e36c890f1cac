#pragma once
// The application's style: the platform's own, except that its standard icons are read from
// their image files when first drawn rather than when a widget is built. A menu bar, for one,
// builds an overflow button with its icon that a fixed-size window never shows; reading it
// would load and probe every image format plugin during start-up.
#include <QProxyStyle>

class DeferredIconStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
    // The platform style's own icon, read now.
    QIcon LoadStandardIcon(StandardPixmap icon, const QStyleOption* option,
                           const QWidget* widget) const;
};
