#include "ui/dialog_font.h"

#include <QFontDatabase>
#include <QGuiApplication>

namespace {

QString InstalledCjkFamily() {
    static const char* const kCandidates[] = {"WenQuanYi Micro Hei", "WenQuanYi Zen Hei",
                                              "Noto Sans CJK SC", "Noto Sans SC",
                                              "Source Han Sans SC", "AR PL UMing CN"};
    const QStringList families = QFontDatabase::families();
    for (const char* name : kCandidates) {
        if (families.contains(QString::fromUtf8(name), Qt::CaseInsensitive)) {
            return QString::fromUtf8(name);
        }
    }
    return {};
}

}  // namespace

QFont DialogFont(const std::string& templateFace, int points) {
    QFont font = QGuiApplication::font();
    const QString face = QString::fromStdString(templateFace);
    QString family;
    if (QFontDatabase::families().contains(face)) {
        family = face;
    } else {
        // A Windows face such as "宋体" is not installed here: use a CJK face that is, and
        // otherwise the application font, whose fallback chain still finds CJK glyphs.
        static const QString cjk = InstalledCjkFamily();
        family = cjk;
    }
    if (!family.isEmpty()) font.setFamily(family);
    font.setPointSize(points > 0 ? points : 9);
    return font;
}
