#pragma once
// A recording of readings to a readings CSV: started on a path, each reading appended as it is
// reported, ended by Stop or by the first write that fails (the file is then closed at once, so
// that what it holds stays whole).
#include <string>

#include "record/reading.h"
#include "record/readings_csv_file.h"

class ReadingsRecorder {
public:
    enum class Outcome { NotRecording, Written, Failed };

    // Ends a running recording first. False with the system's reason when the file cannot be
    // created; nothing is recording then.
    bool Start(const std::string& path, std::string& error);
    // Written while recording; Failed once when the write fails, which ends the recording.
    Outcome Record(const Reading& reading);
    void Stop();

    bool IsRecording() const { return file_.IsOpen(); }
    const std::string& Path() const { return path_; }
    // The path's last part, as the status shows it.
    std::string FileName() const;
    long long Records() const { return file_.Records(); }

private:
    ReadingsCsvFile file_;
    std::string path_;
};
