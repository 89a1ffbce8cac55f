#pragma once

#include "desktop/AutostartFolder.h"

#include <QMap>

// Entries kept in memory; writes or removals fail while the test says so.
class FakeAutostartFolder : public AutostartFolder
{
public:
    QString path() const override { return QStringLiteral("/fake/autostart"); }
    bool exists(const QString& fileName) const override { return entries.contains(fileName); }
    QByteArray read(const QString& fileName) const override { return entries.value(fileName); }
    bool write(const QString& fileName, const QByteArray& content) override
    {
        ++writes;
        if (writeFails)
            return false;
        entries.insert(fileName, content);
        return true;
    }
    bool remove(const QString& fileName) override
    {
        if (removeFails)
            return !entries.contains(fileName);
        entries.remove(fileName);
        return true;
    }

    QMap<QString, QByteArray> entries;
    bool writeFails = false;
    bool removeFails = false;
    int writes = 0;
};
