#include "acquisition/AdapterDefaults.h"

#include "acquisition/TNic.h"

#include <limits>

bool isShownByDefault(uint32_t ifType)
{
    switch (ifType) {
    case 1: case 6: case 9: case 71: case 144: return true;
    default: return false;
    }
}

int32_t defaultMaxspeed(uint64_t bitsPerSecond)
{
    const uint64_t bytes = bitsPerSecond / 8;
    const uint64_t max = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(bytes > max ? max : bytes);
}

void applyDefaultSettings(TNic& nic, uint32_t ifType, uint64_t bitsPerSecond, bool isDfu)
{
    const bool shown = isDfu || isShownByDefault(ifType);
    nic.anzeigen_live = shown;
    nic.anzeigen_graph = shown;
    nic.maxspeed = isDfu ? 0 : defaultMaxspeed(bitsPerSecond);
    nic.links = 0;
    nic.oben = 0;
    nic.hoehe = 100;
    nic.breite = 100;
    nic.ontop = false;
    nic.tranz = false;
    nic.tranz_wert = 0;
    nic.bericht = true;
    nic.forecolor = 16150899;
    nic.backcolor = 16744825;
    nic.sendgraph = 255;
    nic.recvgraph = 16711680;
}
