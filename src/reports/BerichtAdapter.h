#pragma once

#include <QString>

// An entry of the adapter list as a report run sees it.
struct BerichtAdapter
{
    QString name;
    QString index;  // names the traffic table
    bool bericht = true;
};
