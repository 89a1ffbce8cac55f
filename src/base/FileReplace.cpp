#include "base/FileReplace.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

bool replaceFile(const QString& path, const QByteArray& content, bool directWriteFallback, QString* error)
{
    QSaveFile f(path);
    f.setDirectWriteFallback(directWriteFallback);
    // Unbuffered: a failed write reaches the error state commit() looks at.
    bool ok = f.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && f.write(content) == content.size();
    QString reason = f.errorString();
    // Some file systems find out only at the sync that there is no room.
    if (ok && f.handle() >= 0 && ::fsync(f.handle()) != 0) {
        ok = false;
        reason = QString::fromLocal8Bit(std::strerror(errno));
    }
    if (ok) {
        ok = f.commit();
        reason = f.errorString();
    }
    if (!ok && error)
        *error = reason;
    return ok; // an unfinished new file goes with `f`
}

bool createFile(const QString& path, const QByteArray& content, QString* error)
{
    // Written under a passing name and then given its own, so that a kill or a
    // full disk on the way leaves no half file that would never be replaced.
    QTemporaryFile f(QFileInfo(path).absolutePath() + QStringLiteral("/.netzpegel-new-XXXXXX"));
    bool ok = f.open() && f.write(content) == content.size() && f.flush();
    QString reason = f.errorString();
    if (ok && ::fsync(f.handle()) != 0) {
        ok = false;
        reason = QString::fromLocal8Bit(std::strerror(errno));
    }
    if (ok) {
        f.setPermissions(f.permissions() | QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                         | QFileDevice::ReadOther);
        ok = f.rename(path); // never over an existing file
        reason = f.errorString();
        f.setAutoRemove(!ok); // once renamed it is the file asked for, no longer a passing one
    }
    if (!ok && error)
        *error = reason;
    return ok;
}
