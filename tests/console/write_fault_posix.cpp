#include "tests/console/write_fault.h"

#include <cstdio>

WriteFault::WriteFault(const std::string& path) : armed_(std::remove(path.c_str()) == 0) {}

WriteFault::~WriteFault() = default;
