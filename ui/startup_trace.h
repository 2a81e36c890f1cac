#pragma once
// Start-up marks for the start-up benchmark: when $K7R2_STARTUP_TRACE names a file, each mark
// appends "<what>\t<steady clock in ns>\t<process CPU time in ns>\n" to it (the steady clock is
// the one the benchmark reads too, so it can place the marks after its launch). Without the
// variable a mark costs one branch.
void StartupMark(const char* what);
