#pragma once
// The standard streams as the platform has them. Backends: terminal_posix.cpp,
// terminal_win32.cpp.
#include <string>

// Byte-exact output (the registration file's CR LF, UTF-8 texts) on the standard streams.
void PrepareStandardStreams();
bool StdoutIsTerminal();
bool StderrIsTerminal();
// Drops what stdout holds unwritten after a failed write, so that the end of the process does
// not complete a torn record once space is free again.
void DiscardStdoutBuffer();
// Writes one record to stdout at once, unbuffered. False with the reason in `error` when it
// could not be written whole; when stdout is a regular file, the torn part is cut off again.
bool WriteStdoutRecord(const std::string& bytes, std::string& error);
