#include "update/UpdateHerunterladen.h"

#include "base/ExceptionLog.h"
#include "update/CheckForUpdates.h"
#include "update/HttpClient.h"
#include "update/UpdateAddresses.h"

#include <QFile>
#include <QStorageInfo>

#include <cstdio>
#include <unistd.h>

namespace {

const QString kListPrefix = QStringLiteral(
    "Exception in Funktion 'TUpdateThread::Update()' in Datei TUpdateThread_Unit (beim Versuch die URL-Datei auf dem "
    "Server zu lesen)| Genaue Meldung: ");
const QString kDownloadPrefix =
    QStringLiteral("Fehler beim Versuch, Update von Netzpegel herunter zu laden. E->Message: ");

// Writes the body to `part`; an empty message means success.
QString download(HttpClient& http, const QString& address, const QString& part, const HttpProgress& progress,
                 const RoomCheck& room, QString& className, HttpError::Kind& kind)
{
    QFile file(part);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return file.errorString();
    try {
        http.getToFile(address, file, progress, room);
    } catch (const HttpError& e) {
        className = exceptionClassName(e);
        kind = e.kind();
        return QString::fromUtf8(e.what());
    } catch (const std::exception& e) {
        className = exceptionClassName(e);
        return QString::fromUtf8(e.what());
    }
    if (file.size() == 0)
        return QStringLiteral("Der Server hat eine leere Datei geliefert.");
    // On the disk before it takes its name: a crash must not leave a short installer behind.
    if (!file.flush() || ::fsync(file.handle()) != 0)
        return file.errorString();
    file.close();
    return file.error() == QFileDevice::NoError ? QString() : file.errorString();
}

} // namespace

qint64 freeSpaceOf(const QString& folder)
{
    const QStorageInfo volume(folder);
    return volume.isValid() ? volume.bytesAvailable() : -1;
}

UpdateDownloadOutcome UpdateHerunterladen(HttpClient& http, const QString& listAddress, const QString& folder,
                                          const HttpProgress& progress, const FreeSpace& freeSpace)
{
    UpdateDownloadOutcome out;
    QString className = QStringLiteral("Exception");
    try {
        const UpdateAddresses list = parseAddressList(
            QString::fromUtf8(http.getText(listAddress, kMaxVersionFileBytes)));
        if (!list.ok()) {
            out.message = list.error;
            className = QStringLiteral("EListError");
        }
        out.downloadAddress = list.download;
        out.secondAddress = list.second;
    } catch (const std::exception& e) {
        out.message = QString::fromUtf8(e.what());
        className = exceptionClassName(e);
    }
    if (!out.message.isEmpty()) {
        LogException(kListPrefix + out.message, className);
        return out;
    }
    if (out.downloadAddress == QLatin1String("-")) {
        out.kind = UpdateDownloadOutcome::NoDownload;
        return out;
    }

    out.fileName = downloadFileName(out.downloadAddress);
    const QString target = folder + out.fileName;
    const QString part = target + QStringLiteral(".part");
    // An older download must not pass for this one if this one fails.
    QFile::remove(target);
    className = QStringLiteral("Exception");
    const RoomCheck room = [&](qint64 bytes) {
        const qint64 free = freeSpace ? freeSpace(folder) : -1;
        return free >= 0 && bytes <= free - kDownloadSpaceReserve;
    };
    out.message = download(http, out.downloadAddress, part, progress, room, className, out.failure);
    if (out.message.isEmpty() && std::rename(QFile::encodeName(part).constData(), QFile::encodeName(target).constData()) != 0)
        out.message = QStringLiteral("Die Datei %1 konnte nicht angelegt werden.").arg(target);
    if (!out.message.isEmpty()) {
        QFile::remove(part);
        LogException(kDownloadPrefix + out.message, className);
        out.kind = UpdateDownloadOutcome::Failed;
        return out;
    }
    out.kind = UpdateDownloadOutcome::Done;
    return out;
}
