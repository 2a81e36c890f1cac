#pragma once
// Appends to the alarm journal in one write; the backends (journal_append_*.cpp) provide it.
#include <string>

// Opens the regular file at `path` for appending (creating it; a symbolic link in its place is
// refused) and writes `header` first when the file is empty, then `record`, in one write.
// False, with the reason in `error`, unless every byte was written.
bool AppendJournalRecord(const std::string& path, const std::string& header,
                         const std::string& record, std::string& error);
