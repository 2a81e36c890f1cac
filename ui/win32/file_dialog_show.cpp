// The system's open and save dialogs.
#include "ui/win32/dialog_widget.h"

#include "ui/file_dialog_show.h"
#include "ui/wnd.h"

namespace {

// The system wants each label and its patterns ended by a NUL, and the list by another.
std::wstring NativeFilter(const std::vector<FileFilter>& filters) {
    std::wstring out;
    for (const FileFilter& filter : filters) {
        out += Wide(filter.label);
        out.push_back(L'\0');
        out += Wide(filter.patterns);
        out.push_back(L'\0');
    }
    out.push_back(L'\0');
    return out;
}

constexpr DWORD kNativeOverwritePrompt = 0x00000002, kNativeHideReadOnly = 0x00000004,
                kNativeNoChangeDir = 0x00000008, kNativePathMustExist = 0x00000800,
                kNativeFileMustExist = 0x00001000, kNativeExplorer = 0x00080000;

}  // namespace

const char* const kPathSeparators = "\\/";

std::optional<std::string> ShowFileDialog(const FileDialogShow& request) {
    std::wstring file(32768, L'\0');
    const std::wstring initial = Wide(request.fileName);
    file.replace(0, initial.size(), initial);
    const std::wstring filter = NativeFilter(request.filters);
    const std::wstring ext = Wide(request.defaultExt);
    const std::wstring start = request.startDirectory.wstring();

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    NativeHwnd owner = request.parent != nullptr ? request.parent->GetWidget()
                                                 : ::GetActiveWindow();
    ofn.hwndOwner = owner != nullptr ? ::GetAncestor(owner, GA_ROOT) : nullptr;
    ofn.lpstrFilter = request.filters.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = start.c_str();
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    ofn.Flags = kNativeExplorer | kNativeHideReadOnly | kNativeNoChangeDir | kNativePathMustExist;
    if (request.open && request.mustExist) ofn.Flags |= kNativeFileMustExist;
    if (!request.open && request.confirmOverwrite) ofn.Flags |= kNativeOverwritePrompt;
    const BOOL chosen = request.open ? ::GetOpenFileNameW(&ofn) : ::GetSaveFileNameW(&ofn);
    if (!chosen) return std::nullopt;
    return Utf8(file.c_str());
}
