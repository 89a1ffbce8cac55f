#include "desktop/BasisPrio.h"

#include "desktop/ProcessPriority.h"

#include <cstdlib>

std::optional<int> niceForBasisPrio(int position)
{
    switch (position) {
    case 1: return -20;
    case 2: return -10;
    case 3: return 0;
    case 4: return 19;
    default: return std::nullopt;
    }
}

int basisPrioForNice(int nice)
{
    int best = kBasisPrioNormal;
    for (int position = kBasisPrioMin; position <= kBasisPrioMax; ++position)
        if (std::abs(*niceForBasisPrio(position) - nice) < std::abs(*niceForBasisPrio(best) - nice))
            best = position;
    return best;
}

BasisPrioOutcome SetBasisPrio(int position, ProcessPriority& priority)
{
    const std::optional<int> nice = niceForBasisPrio(position);
    if (!nice)
        return BasisPrioOutcome::NoPosition;
    return priority.setNice(*nice) ? BasisPrioOutcome::Applied : BasisPrioOutcome::Refused;
}
