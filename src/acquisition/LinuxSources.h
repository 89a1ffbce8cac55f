#pragma once

#include "acquisition/NetlinkInterfaceTable.h"
#include "acquisition/NetlinkLinkWatch.h"
#include "acquisition/PppDialupSource.h"
#include "base/SystemClock.h"

// The system's own counters and clock, as the window and the service mode count with them.
struct LinuxSources
{
    NetlinkInterfaceTable interfaceTable;
    NetlinkInterfaceTable dialupTable; // its own socket: the two engines tick apart
    PppDialupSource dialup{dialupTable};
    NetlinkLinkWatch linkWatch;
    SystemClock clock;

    // Points a set of services (the window's or the engine's) at these sources.
    template <class Services>
    void serve(Services& services)
    {
        services.interfaceTable = &interfaceTable;
        services.dialupSource = &dialup;
        services.linkWatch = &linkWatch;
        services.clock = &clock;
    }
};
