#pragma once
// Start-up marks for the start-up benchmark: when $K7R2_STARTUP_TRACE names a file, each mark
// appends "<what>\t<steady clock in ns>\n" to it (the clock the benchmark also reads, so it can
// place the marks after its launch). Without the variable a mark costs one branch.
void StartupMark(const char* what);
