#pragma once

#include "acquisition/DialupSource.h"

// Serves whatever status the test sets.
class FakeDialupSource : public DialupSource
{
public:
    DialupStatus query() override { return status; }
    DialupStatus status;
};
