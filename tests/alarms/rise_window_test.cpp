// The window's lowest value against a plain search over every reading still inside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "alarms/rise_window.h"

namespace {

TEST(RiseWindow, LowestMatchesAPlainSearchOverRandomReadings) {
    std::mt19937 random(7);
    for (const int spread : {2, 30, 2000}) {
        RiseWindow window;
        std::vector<std::pair<RiseWindow::Time, int>> all;
        RiseWindow::Time time{};
        const auto span = std::chrono::seconds(100);
        for (int i = 0; i < 5000; ++i) {
            time += std::chrono::seconds(random() % 20);  // equal times too
            const int tenths = static_cast<int>(random() % spread) - spread / 2 + i % 50;
            all.emplace_back(time, tenths);
            int expected = tenths;
            for (const auto& [at, value] : all) {
                if (at >= time - span) expected = std::min(expected, value);
            }
            ASSERT_EQ(window.Add(time, tenths, span), expected) << "reading " << i;
            ASSERT_LE(window.Size(), all.size());
        }
    }
}

}  // namespace
