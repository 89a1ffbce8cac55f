#pragma once

#include <QByteArray>
#include <QString>

// The folder whose entries the desktop starts at logon. The program passes the
// XDG folder, tests a fake.
class AutostartFolder
{
public:
    virtual ~AutostartFolder() = default;
    virtual QString path() const = 0;
    virtual bool exists(const QString& fileName) const = 0;
    // The entry's text; empty when there is none or it cannot be read.
    virtual QByteArray read(const QString& fileName) const = 0;
    // Creates the folder when needed; false when the entry could not be written whole.
    virtual bool write(const QString& fileName, const QByteArray& content) = 0;
    // False when the entry is still there afterwards.
    virtual bool remove(const QString& fileName) = 0;
};
