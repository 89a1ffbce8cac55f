#pragma once

#include "acquisition/NetlinkInterfaceTable.h"
#include "acquisition/NetlinkLinkWatch.h"
#include "acquisition/PppDialupSource.h"
#include "acquisition/SharedLinkDump.h"
#include "base/SystemClock.h"

// The system's own counters and clock, as the window and the service mode count with them.
struct LinuxSources
{
    NetlinkInterfaceTable interfaceTable;
    NetlinkInterfaceTable dialupTable; // its own socket: the two engines may tick apart
    SharedLinkDump dump{interfaceTable, dialupTable}; // one dump when they tick together
    PppDialupSource dialup{dump.following()};
    NetlinkLinkWatch linkWatch;
    SystemClock clock;

    // Points a set of services (the window's or the engine's) at these sources.
    template <class Services>
    void serve(Services& services)
    {
        services.interfaceTable = &dump.leading();
        services.dialupSource = &dialup;
        services.linkWatch = &linkWatch;
        services.clock = &clock;
    }
};
