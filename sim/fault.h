#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Ways the simulated module can misbehave on a reply.
enum class FaultKind {
    Silence,      // no reply at all
    ShortReply,   // reply cut after `param` bytes
    ExtraBytes,   // `param` stray bytes appended to the reply
    BadChecksum,  // the checksum's low byte corrupted
    BadCount,     // length field announces `param` data bytes (checksum matches the lie)
    Split,        // reply sent in two halves, `param` ms apart
    Garbage,      // `param` noise bytes sent before the reply
    Late,         // reply sent `param` ms later than usual
    HangUp,       // the module drops off the line instead of replying, for good
};

constexpr int kEveryReply = 0;  // Fault::count for "until cleared"
constexpr int kAnyCommand = -1;

struct Fault {
    FaultKind kind = FaultKind::Silence;
    int count = 1;              // replies affected; kEveryReply: every reply until cleared
    int command = kAnyCommand;  // only replies to this command code count
    int param = -1;             // the kind's parameter; negative: the kind's default
};

// The parameter a kind uses when none is given.
int DefaultFaultParam(FaultKind kind);
const char* FaultKindName(FaultKind kind);

// Parses KIND[:SCOPE[:PARAM]], SCOPE being a reply count, "every", or "cmdN" (every reply to
// command N). Sets `error` and returns nothing on bad input.
std::optional<Fault> ParseFaultOption(const std::string& text, std::string& error);

// What happens to one reply: every active fault that applies, merged.
struct FaultPlan {
    bool silence = false;
    bool hangUp = false;
    bool badChecksum = false;
    int cutAfter = -1;  // bytes kept; negative: not cut
    int extraBytes = 0;
    int announcedLength = -1;
    int splitGapMs = -1;
    int garbageBytes = 0;
    int lateMs = 0;
};

// The faults in force, each counting down the replies it still spoils.
class FaultBook {
public:
    void Add(const Fault& fault);
    void Clear() { active_.clear(); }
    bool Empty() const { return active_.empty(); }
    // The plan for the next reply to `command`; uses up one reply of each fault it applies.
    FaultPlan TakeFor(std::uint8_t command);

private:
    struct Active {
        Fault fault;
        bool untilCleared;
        int remaining;
    };
    std::vector<Active> active_;
};
