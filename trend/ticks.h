#pragma once
// Round ticks for the trend's axes: values at 1, 2 or 5 x 10^n °C, times at whole seconds,
// minutes or hours of the local clock. No GUI toolkit here.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ValueAxis {
    double low = 0;  // the axis' ends, on whole steps
    double high = 1;
    double step = 1;
    int decimals = 0;           // as many as the step needs
    std::vector<double> ticks;  // low, low + step, ..., high
};

// The axis for values between `low` and `high` with at most `maxTicks` ticks (at least 3).
// A flat or nearly flat range gets a degree around it; a range is padded a little so that the
// lines are not drawn on the frame.
ValueAxis ChooseValueAxis(double low, double high, int maxTicks);
// A tick's label: "%.*f" with the axis' decimals; never "-0".
std::string ValueLabel(double value, int decimals);

struct TimeTick {
    std::int64_t ms = 0;  // since the epoch
    std::string label;    // "HH:MM:SS" or "HH:MM", "MM-DD " before it where a day begins
};

struct TimeAxis {
    std::int64_t stepMs = 0;
    std::vector<TimeTick> ticks;
};

// The steps the time axis chooses from, shortest first.
const std::vector<std::int64_t>& TimeStepsMs();

// Ticks at every whole `stepMs` of the local clock within [fromMs, toMs]. Steps of an hour or
// more fall on hours the step divides. When the span crosses a local midnight, the first label
// and the first of each new day carry the date.
TimeAxis TimeTicksEvery(std::int64_t fromMs, std::int64_t toMs, std::int64_t stepMs);

// The shortest step whose labels, `labelWidth` pixels each and at least `gap` apart, fit on
// `pixels` pixels for the span; the longest step when none does.
TimeAxis ChooseTimeAxis(std::int64_t fromMs, std::int64_t toMs, int pixels, int gap,
                        const std::function<int(const std::string&)>& labelWidth);
