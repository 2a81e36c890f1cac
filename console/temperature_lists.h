#pragma once
// Where each temperature of a block is shown.

constexpr int kLeftListRows = 26;
constexpr int kMiddleListRows = 26;
constexpr int kRightListRows = 17;
constexpr int kPt100Rows = 4;
constexpr int kMaxProbes = 64;
constexpr int kRightFirstProbeRow = 5;  // after the four PT100 rows and an unlabelled one
constexpr int kLabelColumnWidth = 80;
constexpr int kValueColumnWidth = 78;

enum class TemperatureList { Left, Middle, Right };

struct ListCell {
    TemperatureList list;
    int row;
};

// Probe p (1..64): left row p-1, middle row p-27, right row p-48.
ListCell ProbeCell(int probe);
