#pragma once

#include "graph/ui/TGraphenform.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

// Runs the event loop until windows have come to rest: graph windows snap
// to the work area a moment after their last move.
inline void settleWindows()
{
    const QDeadlineTimer deadline(3 * TGraphenform::SnapSettleMs);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}
