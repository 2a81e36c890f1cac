#include "ui/qt/qt_settings.h"

#include <QSettings>
#include <QTemporaryDir>

void KeepQtSettingsToThisRun() {
    static QTemporaryDir dir;
    static const bool redirected = [] {
        if (!dir.isValid()) return false;
        for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
            QSettings::setPath(format, QSettings::UserScope, dir.path());
        }
        return true;
    }();
    (void)redirected;
}
