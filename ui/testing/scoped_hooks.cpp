#include "ui/testing/scoped_hooks.h"

namespace uitest {

MessageBoxRecorder::MessageBoxRecorder(int answer) {
    SetMessageBoxHook([this, answer](const MessageBoxRecord& record) {
        records_.push_back(record);
        return answer;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxHook(nullptr); }

MessageBoxRecord MessageBoxRecorder::Last() const {
    return records_.empty() ? MessageBoxRecord{} : records_.back();
}

std::vector<std::string> MessageBoxRecorder::Texts() const {
    std::vector<std::string> texts;
    for (const MessageBoxRecord& r : records_) texts.push_back(r.text);
    return texts;
}

}  // namespace uitest
