// The real file dialog, shown and answered by the shown-dialog hook: Qt's texts in Chinese, the
// start in the working directory every time, and nothing of it kept for the next run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

#include "ui/file_dialog.h"
#include "ui/qt/qt_translation.h"
#include "ui/testing/scoped_hooks.h"

namespace {

class WorkingDirectory {
public:
    explicit WorkingDirectory(const QString& path) {
        char* previous = getcwd(nullptr, 0);
        previous_ = previous != nullptr ? previous : "/";
        std::free(previous);
        EXPECT_EQ(chdir(path.toLocal8Bit().constData()), 0);
    }
    ~WorkingDirectory() { EXPECT_EQ(chdir(previous_.c_str()), 0); }

private:
    std::string previous_;
};

TEST(QtFileDialogTest, SpeaksChineseAndStartsInTheWorkingDirectoryAfterAFileElsewhere) {
    ASSERT_TRUE(LoadQtChineseTranslations()) << "qt6-translations-l10n is installed";
    QTemporaryDir work, elsewhere;
    const QString chosen = elsewhere.filePath("chosen.txt");
    QFile file(chosen);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    WorkingDirectory cwd(work.path());

    QStringList startDirs, buttons;
    uitest::ScopedShownDialogHook hook([&](QDialog& shown) {
        auto& dialog = static_cast<QFileDialog&>(shown);
        startDirs << dialog.directory().absolutePath();
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) buttons << button->text();
        dialog.selectFile(chosen);
        return int(QDialog::Accepted);
    });
    CFileDialog first(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, "Data Files (*.txt)|*.txt||");
    ASSERT_EQ(first.DoModal(), IDOK);
    EXPECT_EQ(first.GetPathName(), chosen.toStdString());
    CFileDialog second(FALSE);
    ASSERT_EQ(second.DoModal(), IDOK);

    const QString here = QDir(work.path()).canonicalPath();
    ASSERT_EQ(startDirs.size(), 2);
    EXPECT_EQ(QDir(startDirs[0]).canonicalPath(), here);
    EXPECT_EQ(QDir(startDirs[1]).canonicalPath(), here) << "not where the last file was chosen";
    EXPECT_TRUE(buttons.contains("取消")) << buttons.join(", ").toStdString();

    // What Qt keeps of a file dialog goes to a folder of this run, not the user's settings.
    const QString kept = QSettings(QSettings::UserScope, "QtProject").fileName();
    EXPECT_FALSE(kept.startsWith(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)))
        << kept.toStdString();
}

}  // namespace
