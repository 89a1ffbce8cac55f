#pragma once

#include "acquisition/LinkWatch.h"

// A watch the test fires by hand; `available` false stands for a system that cannot tell.
class FakeLinkWatch : public LinkWatch
{
public:
    bool start(std::function<void()> changed) override
    {
        if (!available)
            return false;
        m_changed = std::move(changed);
        return true;
    }
    void stop() override { m_changed = nullptr; }

    bool watching() const { return static_cast<bool>(m_changed); }
    void fire()
    {
        const std::function<void()> changed = m_changed;
        if (changed)
            changed();
    }

    bool available = true;

private:
    std::function<void()> m_changed;
};
