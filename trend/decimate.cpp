#include "trend/decimate.h"

#include <algorithm>

namespace {

constexpr std::size_t kSnapBlocks = 4;  // blocks a slice holds on average before its edges snap
constexpr std::size_t kFewSamples = 8;  // a column read sample by sample

// The store's first sample at or after `timeMs`, all before `from` being earlier. Looked for
// from there, in steps that double, then halving: the columns' starts come in order and mostly
// a few samples apart, and a search of the whole store for each reads far more of it.
std::size_t LowerBoundFrom(const TrendStore& store, std::int64_t timeMs, std::size_t from) {
    const std::size_t size = store.Size();
    std::size_t low = from, probe = from, step = 1;
    while (probe < size && store.TimeMs(probe) < timeMs) {
        low = probe + 1;
        probe = low + step;
        step *= 2;
    }
    std::size_t high = std::min(probe, size);
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (store.TimeMs(mid) < timeMs) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return low;
}

}  // namespace

std::vector<std::size_t> ColumnStarts(const TrendStore& store, std::int64_t fromMs,
                                      std::int64_t toMs, int columns) {
    columns = std::max(columns, 1);
    std::vector<std::size_t> starts(static_cast<std::size_t>(columns) + 1);
    const long double span = static_cast<long double>(std::max<std::int64_t>(toMs - fromMs, 1));
    std::size_t start = store.LowerBound(fromMs);
    for (int c = 0; c < columns; ++c) {
        const auto at = fromMs + static_cast<std::int64_t>(span * c / columns);
        start = LowerBoundFrom(store, at, start);
        starts[static_cast<std::size_t>(c)] = start;
    }
    starts.back() = LowerBoundFrom(store, toMs, start);
    // Wide slices start where a store block starts: then only the blocks' summaries are read,
    // not the samples at every edge (a day's store is far larger than the caches). An edge moves
    // by less than a block, a small part of a slice.
    const std::size_t total = starts.back() - starts.front();
    if (total / static_cast<std::size_t>(columns) >= kSnapBlocks * TrendStore::kBlock) {
        for (std::size_t c = 1; c + 1 < starts.size(); ++c) {
            starts[c] = std::max(starts[c - 1], store.BlockStart(starts[c]));
        }
    }
    return starts;
}

void DecimateMinMax(const TrendStore& store, int channel, const std::vector<std::size_t>& starts,
                    std::vector<TrendPoint>& out) {
    if (starts.size() < 2) return;
    // A short span's columns hold a sample or two: read straight from the store's memory, as
    // the store itself reads a few samples, without a call per column.
    TrendStore::Run runs[2];
    const int n = store.Runs(channel, starts.front(), starts.back(), runs);
    const std::size_t split = n > 0 ? runs[0].first + runs[0].count : 0;
    auto value = [&](std::size_t i) {
        return i < split ? runs[0].values[i - runs[0].first] : runs[1].values[i - runs[1].first];
    };
    // A span that the store does not fill yet starts with empty columns, for every channel.
    const auto firstFilled =
        std::upper_bound(starts.begin(), starts.end(), starts.front()) - starts.begin();
    for (std::size_t c = static_cast<std::size_t>(std::max<std::ptrdiff_t>(firstFilled - 1, 0));
         c + 1 < starts.size(); ++c) {
        if (starts[c] == starts[c + 1]) continue;
        TrendStore::Extremes e;
        if (starts[c + 1] - starts[c] <= kFewSamples) {
            for (std::size_t i = starts[c]; i < starts[c + 1]; ++i) {
                const std::int16_t v = value(i);
                if (v == TrendStore::kNoValue) continue;
                if (!e.any) {
                    e = {true, v, v, i, i};
                    continue;
                }
                if (v < e.min) {
                    e.min = v;
                    e.minAt = i;
                }
                if (v > e.max) {
                    e.max = v;
                    e.maxAt = i;
                }
            }
        } else {
            e = store.RangeExtremes(channel, starts[c], starts[c + 1]);
        }
        if (!e.any) continue;
        if (e.minAt == e.maxAt) {
            out.push_back({e.minAt, e.min});
        } else if (e.minAt < e.maxAt) {
            out.push_back({e.minAt, e.min});
            out.push_back({e.maxAt, e.max});
        } else {
            out.push_back({e.maxAt, e.max});
            out.push_back({e.minAt, e.min});
        }
    }
}
