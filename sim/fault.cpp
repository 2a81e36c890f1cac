#include "sim/fault.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

namespace {

constexpr std::array<std::pair<FaultKind, const char*>, 9> kNames = {{
    {FaultKind::Silence, "silence"},
    {FaultKind::ShortReply, "short"},
    {FaultKind::ExtraBytes, "extra"},
    {FaultKind::BadChecksum, "bad-checksum"},
    {FaultKind::BadCount, "bad-count"},
    {FaultKind::Split, "split"},
    {FaultKind::Garbage, "garbage"},
    {FaultKind::Late, "late"},
    {FaultKind::HangUp, "hang-up"},
}};

std::optional<int> ParseNumber(const std::string& text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || at != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string> SplitColons(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t colon = text.find(':', from);
        parts.push_back(text.substr(from, colon - from));
        if (colon == std::string::npos) return parts;
        from = colon + 1;
    }
}

}  // namespace

int DefaultFaultParam(FaultKind kind) {
    switch (kind) {
        case FaultKind::ShortReply:
            return 5;
        case FaultKind::ExtraBytes:
            return 3;
        case FaultKind::BadCount:
            return 138;
        case FaultKind::Split:
            return 200;
        case FaultKind::Garbage:
            return 5;
        case FaultKind::Late:
            return 500;
        default:
            return 0;
    }
}

const char* FaultKindName(FaultKind kind) {
    for (const auto& [k, name] : kNames) {
        if (k == kind) return name;
    }
    return "?";
}

std::optional<Fault> ParseFaultOption(const std::string& text, std::string& error) {
    const std::vector<std::string> parts = SplitColons(text);
    if (parts.size() > 3) {
        error = "too many ':' fields in fault '" + text + "'";
        return std::nullopt;
    }
    Fault fault;
    const auto named = std::find_if(kNames.begin(), kNames.end(),
                                    [&](const auto& entry) { return parts[0] == entry.second; });
    if (named == kNames.end()) {
        error = "unknown fault kind '" + parts[0] + "'";
        return std::nullopt;
    }
    fault.kind = named->first;
    if (parts.size() >= 2) {
        const std::string& scope = parts[1];
        if (scope == "every") {
            fault.count = kEveryReply;
        } else if (scope.rfind("cmd", 0) == 0) {
            const auto command = ParseNumber(scope.substr(3), 0, 255);
            if (!command) {
                error = "bad command in fault scope '" + scope + "'";
                return std::nullopt;
            }
            fault.count = kEveryReply;
            fault.command = *command;
        } else {
            const auto count = ParseNumber(scope, 1, 1000000);
            if (!count) {
                error = "fault scope '" + scope + "' is neither a count, 'every' nor 'cmdN'";
                return std::nullopt;
            }
            fault.count = *count;
        }
    }
    if (parts.size() == 3) {
        const auto param = ParseNumber(parts[2], 0, 600000);
        if (!param) {
            error = "bad fault parameter '" + parts[2] + "'";
            return std::nullopt;
        }
        fault.param = *param;
    }
    return fault;
}

void FaultBook::Add(const Fault& fault) {
    if (fault.count < 0) return;
    Fault stored = fault;
    if (stored.param < 0) stored.param = DefaultFaultParam(stored.kind);
    active_.push_back({stored, fault.count == kEveryReply, fault.count});
}

FaultPlan FaultBook::TakeFor(std::uint8_t command) {
    FaultPlan plan;
    for (Active& entry : active_) {
        const Fault& fault = entry.fault;
        if (fault.command != kAnyCommand && fault.command != command) continue;
        switch (fault.kind) {
            case FaultKind::Silence:
                plan.silence = true;
                break;
            case FaultKind::HangUp:
                plan.hangUp = true;
                break;
            case FaultKind::BadChecksum:
                plan.badChecksum = true;
                break;
            case FaultKind::ShortReply:
                plan.cutAfter = fault.param;
                break;
            case FaultKind::ExtraBytes:
                plan.extraBytes = fault.param;
                break;
            case FaultKind::BadCount:
                plan.announcedLength = std::min(fault.param, 0xFFFF);
                break;
            case FaultKind::Split:
                plan.splitGapMs = fault.param;
                break;
            case FaultKind::Garbage:
                plan.garbageBytes = fault.param;
                break;
            case FaultKind::Late:
                plan.lateMs = fault.param;
                break;
        }
        if (!entry.untilCleared) --entry.remaining;
    }
    std::erase_if(active_, [](const Active& a) { return !a.untilCleared && a.remaining <= 0; });
    return plan;
}
