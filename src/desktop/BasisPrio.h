#pragma once

#include <optional>

class ProcessPriority;

// Positions of Basisprio_TrackBar, top to bottom: real-time, high, normal, idle.
constexpr int kBasisPrioMin = 1;
constexpr int kBasisPrioMax = 4;
constexpr int kBasisPrioNormal = 3;

// Nice value of a position; none for a position outside 1 to 4.
std::optional<int> niceForBasisPrio(int position);
// Applies the position's priority to the process. False, and nothing changed,
// for a position outside 1 to 4; a refusal by the system is no failure.
bool SetBasisPrio(int position, ProcessPriority& priority);
