#include "record/readings_recorder.h"

bool ReadingsRecorder::Start(const std::string& path, std::string& error) {
    Stop();
    if (!file_.Create(path, error)) return false;
    path_ = path;
    return true;
}

ReadingsRecorder::Outcome ReadingsRecorder::Record(const Reading& reading) {
    if (!file_.IsOpen()) return Outcome::NotRecording;
    if (file_.Append(reading)) return Outcome::Written;
    Stop();
    return Outcome::Failed;
}

void ReadingsRecorder::Stop() {
    file_.Close();
    path_.clear();
}

std::string ReadingsRecorder::FileName() const {
    // Both separators: the recording may run on Windows too.
    const auto slash = path_.find_last_of("/\\");
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}
