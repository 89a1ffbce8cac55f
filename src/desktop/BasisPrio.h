#pragma once

#include <optional>

class ProcessPriority;

// Positions of Basisprio_TrackBar, top to bottom: real-time, high, normal, idle.
constexpr int kBasisPrioMin = 1;
constexpr int kBasisPrioMax = 4;
constexpr int kBasisPrioNormal = 3;

enum class BasisPrioOutcome {
    Applied,
    Refused,    // the system kept the process where it is (no privilege to raise it)
    NoPosition, // outside 1 to 4: nothing asked for
};

// Nice value of a position; none for a position outside 1 to 4.
std::optional<int> niceForBasisPrio(int position);
// The position nearest to a nice value: where the bar shows a process it did not place.
int basisPrioForNice(int nice);
// Applies the position's priority to the process.
BasisPrioOutcome SetBasisPrio(int position, ProcessPriority& priority);
