#include "ui/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "ui/qt/dialog_loop.h"
#include "ui/hook_registry.h"
#include "ui/qt/qt_settings.h"
#include "ui/wnd.h"

namespace {

// "Data Files (*.txt)|*.txt||" -> "Data Files (*.txt)": the platform's filter pairs a label with
// its patterns; Qt shows the label and reads the patterns from it.
QString QtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        out << (parts[i].contains(u'(') ? parts[i] : parts[i] + " (" + patterns + ")");
    }
    return out.join(";;");
}

}  // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName,
                         unsigned flags, const char* filter, CWnd* parent)
    : open_(openFileDialog != FALSE), defaultExt_(defaultExt ? defaultExt : ""),
      fileName_(fileName ? fileName : ""), filter_(filter ? filter : ""), parent_(parent) {
    // The flags' one effect here: an open dialog without "file must exist" takes new names too.
    mustExist_ = (flags & OFN_FILEMUSTEXIST) != 0;
    confirmOverwrite_ = (flags & OFN_OVERWRITEPROMPT) != 0;
}

int CFileDialog::DoModal() {
    if (FileDialogHook hook = CurrentFileDialogHook()) {
        std::optional<std::string> chosen = hook({open_, filter_, defaultExt_, fileName_});
        if (!chosen) return IDCANCEL;
        path_ = *chosen;
        return IDOK;
    }
    KeepQtSettingsToThisRun();
    QWidget* owner = parent_ != nullptr && parent_->GetWidget() != nullptr
                         ? parent_->GetWidget()->window()
                         : nullptr;
    QFileDialog dialog(owner);
    // Always from the current directory: nothing of an earlier browse carries over.
    dialog.setDirectory(QDir::currentPath());
    dialog.setAcceptMode(open_ ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open_ && mustExist_ ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!open_ && !confirmOverwrite_) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QString filter = QtFilter(filter_);
    if (!filter.isEmpty()) dialog.setNameFilter(filter);
    if (!defaultExt_.empty()) dialog.setDefaultSuffix(QString::fromStdString(defaultExt_));
    if (!fileName_.empty()) dialog.selectFile(QString::fromStdString(fileName_));
    if (RunQtDialog(dialog, owner) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return IDCANCEL;
    }
    path_ = dialog.selectedFiles().front().toStdString();
    return IDOK;
}

std::string CFileDialog::GetPathName() const { return path_; }

std::string CFileDialog::GetFileName() const {
    return QFileInfo(QString::fromStdString(path_)).fileName().toStdString();
}
