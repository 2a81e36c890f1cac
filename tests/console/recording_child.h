#pragma once
// Started with this argument and a directory, the console test program is instead the process
// that records until it is killed (recording_kill_test.cpp).
constexpr const char* kRecordUntilKilled = "--record-until-killed";
int RecordUntilKilled(int argc, char** argv);
