#pragma once
// The site window's alarm overview: one row per module, its name on a field coloured by the
// module's worst alarm, then one cell per channel coloured by the channel's. An unacknowledged
// alarm gets a dark frame and "!" besides its colour, so that it is not told by colour alone.
#include <string>
#include <vector>

#include "sitewin/alarm_board.h"
#include "ui/custom_control.h"

struct AlarmMapModule {
    int bus = 1;
    int address = 0;
    std::string name;
};

// Draws the overview into any target; the control below and the benchmark share it.
void PaintAlarmMap(PaintTarget& target, int width, int height,
                   const std::vector<AlarmMapModule>& modules, const AlarmBoard& board);

class CAlarmMap : public CCustomControl {
public:
    CAlarmMap(const std::vector<AlarmMapModule>& modules, const AlarmBoard& board)
        : modules_(modules), board_(board) {}
    void OnPaint(PaintTarget& target) override;

private:
    const std::vector<AlarmMapModule>& modules_;
    const AlarmBoard& board_;
};
