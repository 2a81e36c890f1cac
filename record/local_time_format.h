#pragma once
// The platform's broken-down local time and its UTC offset; the backends provide it.
#include <chrono>
#include <ctime>

struct LocalFields {
    std::tm local;
    long utcOffsetSeconds;
};
LocalFields LocalFieldsOf(std::chrono::system_clock::time_point time);
