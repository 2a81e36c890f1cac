#include "trend/decimate.h"

#include <algorithm>
#include <limits>

std::vector<std::size_t> ColumnStarts(const TrendStore& store, std::int64_t fromMs,
                                      std::int64_t toMs, int columns) {
    columns = std::max(columns, 1);
    std::vector<std::size_t> starts(static_cast<std::size_t>(columns) + 1);
    const long double span = static_cast<long double>(std::max<std::int64_t>(toMs - fromMs, 1));
    for (int c = 0; c < columns; ++c) {
        const auto at = fromMs + static_cast<std::int64_t>(span * c / columns);
        starts[static_cast<std::size_t>(c)] = store.LowerBound(at);
    }
    starts.back() = store.LowerBound(toMs);
    return starts;
}

namespace {

constexpr std::int16_t kNoValue = TrendStore::kNoValue;

struct Extremes {
    std::int16_t min = std::numeric_limits<std::int16_t>::max();
    std::int16_t max = kNoValue;  // the lowest int16: any value beats it, a missing one does not
};

// Vectorisable: no index bookkeeping, a missing value is mapped out of the minimum's way.
void Scan(const std::int16_t* values, std::size_t count, Extremes& e) {
    std::int16_t low = e.min, high = e.max;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int16_t v = values[i];
        const std::int16_t forMin = v == kNoValue ? std::numeric_limits<std::int16_t>::max() : v;
        low = std::min(low, forMin);
        high = std::max(high, v);
    }
    e.min = low;
    e.max = high;
}

}  // namespace

void DecimateMinMax(const TrendStore& store, int channel, const std::vector<std::size_t>& starts,
                    std::vector<TrendPoint>& out) {
    for (std::size_t c = 0; c + 1 < starts.size(); ++c) {
        TrendStore::Run runs[2];
        const int n = store.Runs(channel, starts[c], starts[c + 1], runs);
        if (n == 0) continue;
        Extremes e;
        for (int r = 0; r < n; ++r) Scan(runs[r].values, runs[r].count, e);
        if (e.max == kNoValue) continue;  // only missing values

        // Second pass, stopping early: where the minimum and the maximum first occur.
        std::size_t minAt = 0, maxAt = 0;
        bool minFound = false, maxFound = false;
        for (int r = 0; r < n && !(minFound && maxFound); ++r) {
            for (std::size_t i = 0; i < runs[r].count && !(minFound && maxFound); ++i) {
                const std::int16_t v = runs[r].values[i];
                if (!minFound && v == e.min) {
                    minAt = runs[r].first + i;
                    minFound = true;
                }
                if (!maxFound && v == e.max) {
                    maxAt = runs[r].first + i;
                    maxFound = true;
                }
            }
        }
        if (minAt == maxAt) {
            out.push_back({minAt, e.min});
        } else if (minAt < maxAt) {
            out.push_back({minAt, e.min});
            out.push_back({maxAt, e.max});
        } else {
            out.push_back({maxAt, e.max});
            out.push_back({minAt, e.min});
        }
    }
}
