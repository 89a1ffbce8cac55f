#include "desktop/BasisPrio.h"

#include "desktop/ProcessPriority.h"

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

bool SetBasisPrio(int position, ProcessPriority& priority)
{
    const std::optional<int> nice = niceForBasisPrio(position);
    if (!nice)
        return false;
    // Without the privilege a higher priority is refused; the program runs on as it is.
    priority.setNice(*nice);
    return true;
}
