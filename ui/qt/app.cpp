#include "ui/app.h"

#include <clocale>

#include <QApplication>
#include <QFileInfo>

#include "ui/qt/console_style.h"
#include "ui/qt/dialog_font.h"
#include "ui/qt/qt_translation.h"
#include "ui/startup_trace.h"

const std::string& CWinApp::AppName() const {
    // Read each time: tests and AfxWinMain set the name after the global object is built.
    if (QCoreApplication::instance() != nullptr) {
        appName_ = QCoreApplication::applicationName().toStdString();
    }
    return appName_;
}

int AfxWinMain(int argc, char** argv) {
    StartupMark("main");
    QApplication app(argc, argv);
    QApplication::setStyle(new ConsoleStyle);
    StartupMark("application");
    // Qt adopts the user's locale for the C library too; numbers are always printed and read
    // with a decimal point, as the program has always shown them.
    std::setlocale(LC_NUMERIC, "C");
    // The executable's file name without its extension.
    const QString exe = argc > 0 && argv[0] != nullptr ? QString::fromLocal8Bit(argv[0]) : "";
    const QString name = QFileInfo(exe).completeBaseName();
    if (!name.isEmpty()) QApplication::setApplicationName(name);
    QApplication::setFont(DialogFont("宋体", 9));
    StartupMark("font");
    LoadQtChineseTranslations();
    StartupMark("translations");
    // Qt's settings are redirected when the first file dialog opens (KeepQtSettingsToThisRun),
    // not here: a first look needs none of them.

    CWinApp* winApp = AfxGetApp();
    if (winApp == nullptr) return 1;
    if (!winApp->InitInstance()) return 0;
    return QApplication::exec();
}
