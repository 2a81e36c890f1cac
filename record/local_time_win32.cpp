#include <time.h>

#include "record/local_time.h"
#include "record/local_time_format.h"

LocalFields LocalFieldsOf(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    localtime_s(&local, &seconds);
    // The offset of this very moment: local minus UTC of the same instant.
    std::tm utc{};
    gmtime_s(&utc, &seconds);
    utc.tm_isdst = local.tm_isdst;
    const long offset = static_cast<long>(std::difftime(_mkgmtime(&local), _mkgmtime(&utc)));
    return {local, offset};
}
