#include "ui/qt/dialog_font.h"

#include <QFontDatabase>
#include <QGuiApplication>

namespace {

QString InstalledCjkFamily() {
    // Half-width Latin letters first, as the templates' own face has: labels such as "SN号:"
    // and "ms" were measured for it.
    static const char* const kCandidates[] = {"WenQuanYi Zen Hei Mono", "WenQuanYi Micro Hei Mono",
                                              "WenQuanYi Zen Hei", "WenQuanYi Micro Hei",
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
    static const QString cjk = InstalledCjkFamily();
    QString family;
    if (QFontDatabase::families().contains(face)) {
        family = face;
    } else {
        // A Windows face such as "宋体" is not installed here: use a CJK face that is, and
        // otherwise the application font, whose fallback chain still finds CJK glyphs.
        family = cjk;
    }
    if (!family.isEmpty()) font.setFamily(family);
    const double size = points > 0 ? points : 9;
    // The substitute's glyphs run a little wider than the templates' own face at the same size;
    // 11/12 brings them back to the widths the label rectangles were drawn for.
    font.setPointSizeF(family == cjk ? size * 11.0 / 12.0 : size);
    return font;
}
