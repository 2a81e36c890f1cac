#pragma once
// Test hooks installed for one scope: a recorder of message boxes, a modal-dialog script, a file
// dialog answer. Each restores "no hook" when it goes.
#include <cstddef>
#include <string>
#include <vector>

#include "ui/test_hooks.h"

namespace uitest {

// Every message box shown while it lives is recorded and answered with `answer` instead of
// opening. Use on the user-interface thread (boxes from workers arrive there too).
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(int answer = IDOK);
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<MessageBoxRecord>& Records() const { return records_; }
    std::size_t Count() const { return records_.size(); }
    // The last record; an empty one when none was recorded.
    MessageBoxRecord Last() const;
    std::vector<std::string> Texts() const;
    void Clear() { records_.clear(); }

private:
    std::vector<MessageBoxRecord> records_;
};

class ScopedModalDialogHook {
public:
    explicit ScopedModalDialogHook(ModalDialogHook hook) { SetModalDialogHook(std::move(hook)); }
    ~ScopedModalDialogHook() { SetModalDialogHook(nullptr); }
    ScopedModalDialogHook(const ScopedModalDialogHook&) = delete;
    ScopedModalDialogHook& operator=(const ScopedModalDialogHook&) = delete;
};

class ScopedFileDialogHook {
public:
    explicit ScopedFileDialogHook(FileDialogHook hook) { SetFileDialogHook(std::move(hook)); }
    ~ScopedFileDialogHook() { SetFileDialogHook(nullptr); }
    ScopedFileDialogHook(const ScopedFileDialogHook&) = delete;
    ScopedFileDialogHook& operator=(const ScopedFileDialogHook&) = delete;
};

class ScopedShownDialogHook {
public:
    explicit ScopedShownDialogHook(ShownDialogHook hook) { SetShownDialogHook(std::move(hook)); }
    ~ScopedShownDialogHook() { SetShownDialogHook(nullptr); }
    ScopedShownDialogHook(const ScopedShownDialogHook&) = delete;
    ScopedShownDialogHook& operator=(const ScopedShownDialogHook&) = delete;
};

}  // namespace uitest
