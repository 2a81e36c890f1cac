#include <ctime>

#include "record/local_time.h"
#include "record/local_time_format.h"

LocalFields LocalFieldsOf(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    localtime_r(&seconds, &local);
    return {local, static_cast<long>(local.tm_gmtoff)};
}
