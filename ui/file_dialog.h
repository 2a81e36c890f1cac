#pragma once
// CFileDialog: the open (or save) file dialog.
#include <string>

#include "ui/types.h"

class CWnd;

class CFileDialog {
public:
    CFileDialog(BOOL openFileDialog, const char* defaultExt = nullptr,
                const char* fileName = nullptr, unsigned flags = 0, const char* filter = nullptr,
                CWnd* parent = nullptr);
    int DoModal();  // IDOK or IDCANCEL
    std::string GetPathName() const;
    std::string GetFileName() const;

private:
    bool open_;
    std::string defaultExt_, fileName_, filter_, path_;
    CWnd* parent_;
    bool mustExist_ = false;
    bool confirmOverwrite_ = false;
};
