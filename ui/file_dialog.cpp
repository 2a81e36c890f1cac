// The file dialog's side that is no drawing: its flags, the test hook, the start directory.
#include "ui/file_dialog.h"

#include <system_error>

#include "ui/file_dialog_show.h"
#include "ui/hook_registry.h"

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName,
                         unsigned flags, const char* filter, CWnd* parent)
    : open_(openFileDialog != FALSE), defaultExt_(defaultExt ? defaultExt : ""),
      fileName_(fileName ? fileName : ""), filter_(filter ? filter : ""), parent_(parent) {
    // The flags' one effect here: an open dialog without "file must exist" takes new names too.
    mustExist_ = (flags & OFN_FILEMUSTEXIST) != 0;
    confirmOverwrite_ = (flags & OFN_OVERWRITEPROMPT) != 0;
}

int CFileDialog::DoModal() {
    std::optional<std::string> chosen;
    if (FileDialogHook hook = CurrentFileDialogHook()) {
        chosen = hook({open_, filter_, defaultExt_, fileName_});
    } else {
        FileDialogShow request;
        request.open = open_;
        request.mustExist = mustExist_;
        request.confirmOverwrite = confirmOverwrite_;
        request.filters = ParseFileFilter(filter_);
        request.defaultExt = defaultExt_;
        request.fileName = fileName_;
        // Always from the current directory: nothing of an earlier browse carries over.
        std::error_code error;
        request.startDirectory = std::filesystem::current_path(error);
        request.parent = parent_;
        chosen = ShowFileDialog(request);
    }
    if (!chosen) return IDCANCEL;
    path_ = *chosen;
    return IDOK;
}

std::string CFileDialog::GetPathName() const { return path_; }

std::string CFileDialog::GetFileName() const {
    const std::size_t slash = path_.find_last_of(kPathSeparators);
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}
