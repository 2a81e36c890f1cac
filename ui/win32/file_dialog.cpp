#include "ui/win32/dialog_widget.h"

#include "ui/file_dialog.h"
#include "ui/hook_registry.h"
#include "ui/wnd.h"

namespace {

// "Data Files (*.txt)|*.txt||": the system wants the same pairs separated by NULs.
std::wstring NativeFilter(const std::string& filter) {
    std::wstring wide = Wide(filter);
    for (wchar_t& c : wide) {
        if (c == L'|') c = L'\0';
    }
    wide.push_back(L'\0');
    return wide;
}

constexpr DWORD kNativeOverwritePrompt = 0x00000002, kNativeHideReadOnly = 0x00000004,
                kNativeNoChangeDir = 0x00000008, kNativePathMustExist = 0x00000800,
                kNativeFileMustExist = 0x00001000, kNativeExplorer = 0x00080000;

}  // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName,
                         unsigned flags, const char* filter, CWnd* parent)
    : open_(openFileDialog != FALSE), defaultExt_(defaultExt ? defaultExt : ""),
      fileName_(fileName ? fileName : ""), filter_(filter ? filter : ""), parent_(parent) {
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
    std::wstring file(32768, L'\0');
    const std::wstring initial = Wide(fileName_);
    file.replace(0, initial.size(), initial);
    const std::wstring filter = NativeFilter(filter_);
    const std::wstring ext = Wide(defaultExt_);
    // Always from the current directory: nothing of an earlier browse carries over.
    std::wstring cwd(32768, L'\0');
    cwd.resize(::GetCurrentDirectoryW(static_cast<DWORD>(cwd.size()), cwd.data()));

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    NativeHwnd owner = parent_ != nullptr ? parent_->GetWidget() : ::GetActiveWindow();
    ofn.hwndOwner = owner != nullptr ? ::GetAncestor(owner, GA_ROOT) : nullptr;
    ofn.lpstrFilter = filter_.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = cwd.c_str();
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    ofn.Flags = kNativeExplorer | kNativeHideReadOnly | kNativeNoChangeDir | kNativePathMustExist;
    if (open_ && mustExist_) ofn.Flags |= kNativeFileMustExist;
    if (!open_ && confirmOverwrite_) ofn.Flags |= kNativeOverwritePrompt;
    const BOOL chosen = open_ ? ::GetOpenFileNameW(&ofn) : ::GetSaveFileNameW(&ofn);
    if (!chosen) return IDCANCEL;
    path_ = Utf8(file.c_str());
    return IDOK;
}

std::string CFileDialog::GetPathName() const { return path_; }

std::string CFileDialog::GetFileName() const {
    const std::size_t slash = path_.find_last_of("\\/");
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}
