#pragma once
// Drawing a long trend at the plot's width: the samples of each pixel column are reduced to the
// column's minimum and maximum, so that every peak and dip still shows while a day of readings
// costs a few thousand points per line. No GUI toolkit here.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "trend/trend_store.h"

struct TrendPoint {
    std::size_t index;  // the sample's index in the store
    std::int16_t tenths;
};

// For `columns` equal slices of the time range [fromMs, toMs): the index of the first sample of
// each slice, then the end of the last one (columns + 1 entries, never decreasing). When slices
// hold many samples, the inner edges move back to the start of the store's block.
std::vector<std::size_t> ColumnStarts(const TrendStore& store, std::int64_t fromMs,
                                      std::int64_t toMs, int columns);

// Appends the channel's points: per column its minimum and its maximum in the order they
// occurred (one point when they are the same sample); a column without a value gives none.
void DecimateMinMax(const TrendStore& store, int channel, const std::vector<std::size_t>& starts,
                    std::vector<TrendPoint>& out);
