#pragma once
// What a trend window's chart range must be: whole columns of time, the last one holding the
// newest reading, wide enough for the span asked for (and not much more: a column or two, and
// a ms a column for the columns' rounding).
#include <gtest/gtest.h>

#include "trend/chart_layout.h"

inline testing::AssertionResult ShowsSpanUpTo(const ChartLayout& layout, long long spanMs,
                                              long long newest) {
    const long long columns = layout.plot.width;
    const long long range = layout.toMs - layout.fromMs;
    if (columns < 3 || range % (columns - 1) != 0) {
        return testing::AssertionFailure() << "the range " << range << " ms is not "
                                           << columns - 1 << " whole columns";
    }
    const long long step = range / (columns - 1);
    if (layout.toMs % step != 0 || layout.toMs < newest || layout.toMs >= newest + step) {
        return testing::AssertionFailure() << "the range ends at " << layout.toMs
                                           << ", not on the column of " << newest << " ("
                                           << step << " ms a column)";
    }
    // A column is the span's share rounded up to a whole ms: up to a ms a column more.
    if (layout.fromMs > newest - spanMs || layout.fromMs <= newest - spanMs - 2 * step - columns) {
        return testing::AssertionFailure() << "the range starts at " << layout.fromMs << " for "
                                           << spanMs << " ms before " << newest;
    }
    return testing::AssertionSuccess();
}
