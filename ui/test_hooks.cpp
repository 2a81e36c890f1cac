#include <mutex>
#include <utility>

#include "ui/hook_registry.h"

namespace {

// Hooks are installed by tests on the user-interface thread, but a guard costs nothing and keeps
// a worker's read well defined.
std::mutex g_hookMutex;
MessageBoxHook g_messageBoxHook;
FileDialogHook g_fileDialogHook;
ModalDialogHook g_modalDialogHook;
ShownDialogHook g_shownDialogHook;

template <class T>
T Read(const T& hook) {
    std::lock_guard lock(g_hookMutex);
    return hook;
}

template <class T>
void Write(T& hook, T value) {
    std::lock_guard lock(g_hookMutex);
    hook = std::move(value);
}

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) { Write(g_messageBoxHook, std::move(hook)); }
void SetFileDialogHook(FileDialogHook hook) { Write(g_fileDialogHook, std::move(hook)); }
void SetModalDialogHook(ModalDialogHook hook) { Write(g_modalDialogHook, std::move(hook)); }
void SetShownDialogHook(ShownDialogHook hook) { Write(g_shownDialogHook, std::move(hook)); }

MessageBoxHook CurrentMessageBoxHook() { return Read(g_messageBoxHook); }
FileDialogHook CurrentFileDialogHook() { return Read(g_fileDialogHook); }
ModalDialogHook CurrentModalDialogHook() { return Read(g_modalDialogHook); }
ShownDialogHook CurrentShownDialogHook() { return Read(g_shownDialogHook); }
