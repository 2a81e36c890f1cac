#pragma once
// What the acquisition worker reports with WM_POLL_RESULT (lParam points at it): its block, how
// the exchange went and when it ended. The worker owns it and waits while the window reads it.
#include <chrono>

#include "link/frame.h"
#include "link/temperature_block.h"

struct PollReport {
    ReplyBlock block{};
    BlockFault fault = BlockFault::None;
    std::chrono::system_clock::time_point end;
};
