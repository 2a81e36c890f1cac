#include "sitewin/alarm_map.h"

#include <algorithm>

#include "record/reading.h"

namespace {

constexpr std::uint32_t kBackground = 0xFFF0F0F0;
constexpr std::uint32_t kQuiet = 0xFFFFFFFF;
constexpr std::uint32_t kGrid = 0xFFC0C0C0;
constexpr std::uint32_t kText = 0xFF000000;
constexpr std::uint32_t kFrame = 0xFF000000;
constexpr int kNameWidth = 96;
constexpr int kMaxRowHeight = 16;

void Frame(PaintTarget& target, int x, int y, int cx, int cy) {
    target.DrawLine(x, y, x + cx - 1, y, kFrame);
    target.DrawLine(x, y + cy - 1, x + cx - 1, y + cy - 1, kFrame);
    target.DrawLine(x, y, x, y + cy - 1, kFrame);
    target.DrawLine(x + cx - 1, y, x + cx - 1, y + cy - 1, kFrame);
}

}  // namespace

void PaintAlarmMap(PaintTarget& target, int width, int height,
                   const std::vector<AlarmMapModule>& modules, const AlarmBoard& board) {
    target.FillRect(0, 0, width, height, kBackground);
    if (modules.empty() || width <= kNameWidth || height <= 0) return;
    // Every module gets a row, however many there are: a thin row still shows its colour.
    const int rowHeight = std::max(1, std::min(kMaxRowHeight, height / static_cast<int>(modules.size())));
    const int cellsWidth = width - kNameWidth;
    for (std::size_t row = 0; row < modules.size(); ++row) {
        const AlarmMapModule& module = modules[row];
        const int y = static_cast<int>(row) * rowHeight;
        if (y >= height) break;
        const auto worst = board.WorstOfModule(module.bus, module.address);
        target.FillRect(0, y, kNameWidth - 2, rowHeight - 1, worst ? AlarmStateColour(*worst) : kQuiet);
        const bool unacked = worst && board.ModuleUnacked(module.bus, module.address);
        if (rowHeight >= 8) {
            target.DrawText(2, y, kNameWidth - 4, rowHeight - 1, (unacked ? "!" : "") + module.name,
                            TextAlignment::Left, kText);
        }
        if (unacked) Frame(target, 0, y, kNameWidth - 2, rowHeight - 1);
        // The module's own alarm (模块离线) colours the whole strip behind the channels.
        const auto own = board.Worst(module.bus, module.address, -1);
        target.FillRect(kNameWidth, y, cellsWidth, rowHeight - 1, own ? AlarmStateColour(*own) : kQuiet);
        for (int channel = 0; channel < kReadingChannels; ++channel) {
            const int x = kNameWidth + channel * cellsWidth / kReadingChannels;
            const int next = kNameWidth + (channel + 1) * cellsWidth / kReadingChannels;
            target.DrawLine(x, y, x, y + rowHeight - 2, kGrid);
            const auto state = board.Worst(module.bus, module.address, channel);
            if (!state) continue;
            target.FillRect(x + 1, y, next - x - 1, rowHeight - 1, AlarmStateColour(*state));
            if (board.Unacked(module.bus, module.address, channel)) {
                Frame(target, x, y, next - x, rowHeight - 1);
            }
        }
        target.DrawLine(0, y + rowHeight - 1, width - 1, y + rowHeight - 1, kGrid);
    }
}

void CAlarmMap::OnPaint(PaintTarget& target) {
    PaintAlarmMap(target, ClientWidth(), ClientHeight(), modules_, board_);
}
