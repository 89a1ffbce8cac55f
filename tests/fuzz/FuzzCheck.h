#pragma once

#include <cstdlib>

// A property an input broke: abort, so the fuzzer keeps the input as a finding.
inline void check(bool condition)
{
    if (!condition)
        std::abort();
}
