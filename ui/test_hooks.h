#pragma once
// Test hooks: with a hook installed, message boxes, file dialogs and modal dialogs are answered by
// the hook instead of a modal loop, and every box is recorded.
#include <functional>
#include <optional>
#include <string>

#include "backend_types.h"
#include "ui/types.h"

class CDialog;

struct MessageBoxRecord {
    std::string text;
    std::string caption;
    bool warningIcon = false;
    bool hasOwner = false;
};
// Returns the button pressed (IDOK).
using MessageBoxHook = std::function<int(const MessageBoxRecord&)>;
void SetMessageBoxHook(MessageBoxHook hook);  // empty: real message boxes again

struct FileDialogRequest {
    bool open = true;
    std::string filter;
    std::string defaultExt;
    std::string fileName;
};
// Returns the chosen path, or nullopt for Cancel.
using FileDialogHook = std::function<std::optional<std::string>(const FileDialogRequest&)>;
void SetFileDialogHook(FileDialogHook hook);

// Runs instead of the modal loop of DoModal, with the dialog built, initialised and shown; its
// return value is what DoModal returns (the hook may click and type, and may call EndDialog).
using ModalDialogHook = std::function<int(CDialog&)>;
void SetModalDialogHook(ModalDialogHook hook);

// For the dialogs the platform draws itself (Qt backend), when neither hook above answers them: runs instead of their
// loop, with the real dialog built and shown; returns its result (QDialog::Accepted, Rejected).
using ShownDialogHook = std::function<int(NativeDialog&)>;
void SetShownDialogHook(ShownDialogHook hook);
