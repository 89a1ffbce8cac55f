#pragma once

#include "base/MessageSink.h"

#include <QStringList>
#include <vector>

// Keeps every message the main window shows, instead of a blocking box.
class RecordingMessageSink : public MessageSink
{
public:
    struct Entry
    {
        Icon icon;
        QString text;
    };
    void show(Icon icon, const QString& text) override { shown.push_back({icon, text}); }
    bool ask(const QString& text) override
    {
        asked << text;
        return answer;
    }
    std::vector<Entry> shown;
    QStringList asked;
    bool answer = false;
};
