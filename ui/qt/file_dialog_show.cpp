// The file dialog drawn by Qt.
#include <QFileDialog>
#include <QStringList>

#include "ui/file_dialog_show.h"
#include "ui/qt/dialog_loop.h"
#include "ui/qt/qt_settings.h"
#include "ui/wnd.h"

namespace {

// Qt reads a filter's patterns from its label: "Data Files (*.txt)".
QString QtFilter(const std::vector<FileFilter>& filters) {
    QStringList out;
    for (const FileFilter& filter : filters) {
        const QString label = QString::fromStdString(filter.label);
        QString patterns = QString::fromStdString(filter.patterns);
        patterns.replace(u';', u' ');
        out << (label.contains(u'(') ? label : label + " (" + patterns + ")");
    }
    return out.join(";;");
}

}  // namespace

const char* const kPathSeparators = "/";

std::optional<std::string> ShowFileDialog(const FileDialogShow& request) {
    KeepQtSettingsToThisRun();
    CWnd* parent = request.parent;
    QWidget* owner = parent != nullptr && parent->GetWidget() != nullptr
                         ? parent->GetWidget()->window()
                         : nullptr;
    QFileDialog dialog(owner);
    dialog.setDirectory(QString::fromStdString(request.startDirectory.string()));
    dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.open && request.mustExist ? QFileDialog::ExistingFile
                                                         : QFileDialog::AnyFile);
    if (!request.open && !request.confirmOverwrite) {
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    const QString filter = QtFilter(request.filters);
    if (!filter.isEmpty()) dialog.setNameFilter(filter);
    if (!request.defaultExt.empty()) {
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExt));
    }
    if (!request.fileName.empty()) dialog.selectFile(QString::fromStdString(request.fileName));
    if (RunQtDialog(dialog, owner) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front().toStdString();
}
