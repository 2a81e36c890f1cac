#include "trend/ticks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "trend/local_clock.h"

namespace {

// Beyond any temperature; keeps the arithmetic finite for whatever reaches the axis.
constexpr double kValueLimit = 1e12;
constexpr double kFlatSpan = 1.0;  // °C shown around a flat line
constexpr double kPadding = 0.02;  // of the range, on each side

// A value step m x 10^e, kept as integers so that ticks are exact decimal multiples.
struct Step {
    int mantissa = 1;  // 1, 2 or 5
    int exponent = 0;

    double Scale() const { return std::pow(10.0, std::abs(exponent)); }
    // k steps; dividing by a power of ten keeps 0.1, 0.2, … the doubles nearest to them.
    double Times(double k) const {
        return exponent >= 0 ? k * mantissa * Scale() : k * mantissa / Scale();
    }
    // How many steps `value` is.
    double Count(double value) const {
        return exponent >= 0 ? value / (mantissa * Scale()) : value * Scale() / mantissa;
    }
    Step Next() const {
        if (mantissa == 1) return {2, exponent};
        if (mantissa == 2) return {5, exponent};
        return {1, exponent + 1};
    }
};

// The smallest step of at least `size`.
Step StepOfAtLeast(double size) {
    Step step{1, static_cast<int>(std::floor(std::log10(size)))};
    while (step.Times(1) < size * (1 - 1e-9)) step = step.Next();
    return step;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}

// The local clock's reading at `ms`, as milliseconds since 1970 taken as UTC.
std::int64_t LocalMs(std::int64_t ms, LocalClock* clock = nullptr) {
    const std::int64_t seconds = FloorDiv(ms, 1000);
    const LocalClock local = LocalClockAt(seconds);
    if (clock != nullptr) *clock = local;
    return ClockSeconds(local) * 1000 + (ms - seconds * 1000);
}

// The first moment at or after `ms` whose local reading is a whole `base`, at the zone's
// offset at `ms`.
std::int64_t AlignUp(std::int64_t ms, std::int64_t base) {
    const std::int64_t local = LocalMs(ms);
    const std::int64_t offset = local - ms;
    return (FloorDiv(local - 1, base) + 1) * base - offset;
}

std::string ClockText(const LocalClock& c, bool seconds) {
    char text[16];
    if (seconds) {
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", c.hour, c.minute, c.second);
    } else {
        std::snprintf(text, sizeof text, "%02d:%02d", c.hour, c.minute);
    }
    return text;
}

std::string DateText(const LocalClock& c) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d-%02d ", c.month, c.day);
    return text;
}

bool SameDay(const LocalClock& a, const LocalClock& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

}  // namespace

ValueAxis ChooseValueAxis(double low, double high, int maxTicks) {
    if (!std::isfinite(low) || !std::isfinite(high)) low = 0, high = 0;
    low = std::clamp(low, -kValueLimit, kValueLimit);
    high = std::clamp(high, -kValueLimit, kValueLimit);
    if (low > high) std::swap(low, high);
    // A range across zero needs three ticks at least, whatever the step.
    maxTicks = std::max(3, maxTicks);
    if (high - low < kFlatSpan) {
        const double middle = (low + high) / 2;
        low = middle - kFlatSpan / 2;
        high = middle + kFlatSpan / 2;
    } else {
        const double pad = (high - low) * kPadding;
        low -= pad;
        high += pad;
    }
    Step step = StepOfAtLeast((high - low) / (maxTicks - 1));
    double first = 0, last = 0;
    for (;; step = step.Next()) {
        // A hair of tolerance, so that a value a rounding error past a tick stays on it.
        first = std::floor(step.Count(low) + 1e-9);
        last = std::ceil(step.Count(high) - 1e-9);
        if (last - first + 1 <= maxTicks) break;
    }
    if (last <= first) last = first + 1;
    ValueAxis axis;
    axis.low = step.Times(first) + 0.0;  // + 0.0: never -0
    axis.high = step.Times(last) + 0.0;
    axis.step = step.Times(1);
    axis.decimals = std::max(0, -step.exponent);
    for (double k = first; k <= last; ++k) axis.ticks.push_back(step.Times(k) + 0.0);
    return axis;
}

std::string ValueLabel(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", std::clamp(decimals, 0, 12), value);
    std::string label = text;
    // A value that rounds to zero from below prints as "-0.0".
    if (label[0] == '-' && label.find_first_not_of("-0.") == std::string::npos) label.erase(0, 1);
    return label;
}

const std::vector<std::int64_t>& TimeStepsMs() {
    static const std::vector<std::int64_t> steps = [] {
        std::vector<std::int64_t> ms;
        for (std::int64_t s : {1, 2, 5, 10, 15, 30}) ms.push_back(s * 1000);
        for (std::int64_t m : {1, 2, 5, 10, 15, 30}) ms.push_back(m * 60'000);
        for (std::int64_t h : {1, 2, 3, 6, 12, 24}) ms.push_back(h * 3'600'000);
        return ms;
    }();
    return steps;
}

TimeAxis TimeTicksEvery(std::int64_t fromMs, std::int64_t toMs, std::int64_t stepMs) {
    TimeAxis axis;
    axis.stepMs = std::max<std::int64_t>(stepMs, 1000);
    if (toMs < fromMs) std::swap(fromMs, toMs);
    // Steps of hours go through the local clock's whole hours: across a daylight-saving change
    // the hours of the day are no longer equally long.
    constexpr std::int64_t kHour = 3'600'000;
    const std::int64_t base = std::min(axis.stepMs, kHour);
    const int everyHours = axis.stepMs > kHour ? static_cast<int>(axis.stepMs / kHour) : 0;
    if ((toMs - fromMs) / base > 100'000) return axis;  // far too many to be asked for

    LocalClock first{}, last{};
    LocalMs(fromMs, &first);
    LocalMs(toMs, &last);
    const bool dated = !SameDay(first, last);
    LocalClock previous{};
    std::int64_t previousLocal = 0;
    for (std::int64_t t = AlignUp(fromMs, base); t <= toMs; t += base) {
        LocalClock clock{};
        const std::int64_t local = LocalMs(t, &clock);
        if (local % base != 0) {
            // The zone's offset changed by less than the step: back onto the local grid.
            t = AlignUp(t, base) - base;
            continue;
        }
        if (everyHours > 0 && clock.hour % everyHours != 0) continue;
        // An hour the clock went back over comes twice; a step of hours shows it once.
        if (everyHours > 0 && !axis.ticks.empty() && local == previousLocal) continue;
        TimeTick tick;
        tick.ms = t;
        tick.label = ClockText(clock, axis.stepMs < 60'000);
        if (dated && (axis.ticks.empty() || !SameDay(clock, previous))) {
            tick.label = DateText(clock) + tick.label;
        }
        axis.ticks.push_back(std::move(tick));
        previous = clock;
        previousLocal = local;
    }
    return axis;
}

namespace {

bool LabelsFit(const TimeAxis& axis, std::int64_t fromMs, double pixelsPerMs, int gap,
               const std::function<int(const std::string&)>& labelWidth) {
    double previousX = 0;
    int previousWidth = 0;
    for (std::size_t i = 0; i < axis.ticks.size(); ++i) {
        const double x = static_cast<double>(axis.ticks[i].ms - fromMs) * pixelsPerMs;
        const int width = labelWidth(axis.ticks[i].label);
        if (i > 0 && x - previousX < (previousWidth + width) / 2.0 + gap) return false;
        previousX = x;
        previousWidth = width;
    }
    return true;
}

}  // namespace

TimeAxis ChooseTimeAxis(std::int64_t fromMs, std::int64_t toMs, int pixels, int gap,
                        const std::function<int(const std::string&)>& labelWidth) {
    if (toMs < fromMs) std::swap(fromMs, toMs);
    const double span = static_cast<double>(std::max<std::int64_t>(toMs - fromMs, 1));
    const double pixelsPerMs = std::max(pixels, 1) / span;
    const int narrowest = labelWidth("00:00");
    for (const std::int64_t step : TimeStepsMs()) {
        // Labels at least this far apart cannot fit: not worth working them out.
        if (static_cast<double>(step) * pixelsPerMs < narrowest + gap) continue;
        TimeAxis axis = TimeTicksEvery(fromMs, toMs, step);
        if (LabelsFit(axis, fromMs, pixelsPerMs, gap, labelWidth)) return axis;
    }
    return TimeTicksEvery(fromMs, toMs, TimeStepsMs().back());
}
