#include "update/UpdateInstallieren.h"

#include "base/ExceptionLog.h"
#include "update/UpdateAddresses.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

QString updaterProgram(const QString& updater, const QString& folder)
{
    if (updater.isEmpty())
        return {};
    if (QFileInfo(updater).isAbsolute())
        return QFileInfo(updater).isFile() ? updater : QString();
    if (QFileInfo(folder + updater).isFile())
        return folder + updater;
    return QStandardPaths::findExecutable(updater);
}

UpdateInstallOutcome failed(const QString& message)
{
    LogException(QStringLiteral("Fehler beim Versuch, das Update von Netzpegel zu installieren: ") + message,
                 QStringLiteral("Exception"));
    return {UpdateInstallOutcome::Failed, message};
}

} // namespace

UpdateInstallOutcome UpdateInstallieren(const QString& downloadAddress, const QString& updater, const QString& folder)
{
    if (downloadAddress == QLatin1String("-"))
        return {UpdateInstallOutcome::NoDownload, {}};
    const QString fileName = downloadFileName(downloadAddress);
    const QFileInfo file(folder + fileName);
    if (!file.isFile() || file.size() == 0)
        return failed(QStringLiteral("Die heruntergeladene Datei %1 fehlt oder ist leer.").arg(file.filePath()));
    const QString program = updaterProgram(updater, folder);
    if (program.isEmpty())
        return failed(QStringLiteral("Das Installationsprogramm \"%1\" (Updater in variables.conf) wurde nicht gefunden.")
                          .arg(updater));
    if (!QProcess::startDetached(program, {fileName}, folder))
        return failed(QStringLiteral("Das Installationsprogramm \"%1\" konnte nicht gestartet werden.").arg(program));
    return {UpdateInstallOutcome::Started, {}};
}
