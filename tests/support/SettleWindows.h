#pragma once

#include "graph/ui/TGraphenform.h"
#include "support/WaitFor.h"

#include <QApplication>
#include <gtest/gtest.h>

// Runs the event loop until windows have come to rest: graph windows snap
// to the work area a moment after their last move.
inline void settleWindows()
{
    const bool resting = waitFor([] {
        QCoreApplication::processEvents();
        for (QWidget* w : QApplication::allWidgets())
            if (const auto* graph = qobject_cast<TGraphenform*>(w); graph && graph->snapPending())
                return false;
        return true;
    });
    EXPECT_TRUE(resting) << "a graph window never came to rest";
}
