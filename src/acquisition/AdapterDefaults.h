#pragma once

#include <cstdint>

class TNic;

// Display settings a new adapter starts with: shown for the ordinary network
// types, hidden for loopback, tunnels and the rest.
bool isShownByDefault(uint32_t ifType);

// Line speed in bits per second as bytes per second, saturating at the
// largest value the 32-bit setting holds.
int32_t defaultMaxspeed(uint64_t bitsPerSecond);

// Applies the defaults of a new adapter (or, with isDfu, of the dial-up entry).
void applyDefaultSettings(TNic& nic, uint32_t ifType, uint64_t bitsPerSecond, bool isDfu);
