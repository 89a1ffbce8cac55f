#include "update/CheckForUpdates.h"

#include "base/ExceptionLog.h"
#include "update/HttpClient.h"
#include "update/UpdateVersion.h"

namespace {

const QString kPrefix = QStringLiteral(
    "Exception in Funktion 'CheckForUpdates()' in Datei Versionsinformationen (beim Versuch die Versions-Datei auf dem "
    "Server zu lesen)| Genaue Meldung: ");

UpdateCheckOutcome failed(const QString& message, const QString& className)
{
    UpdateCheckOutcome out;
    out.failure = message;
    out.failureClass = className;
    return out;
}

// A piece of the fetched text fit for one log line.
QString excerpt(const QString& text)
{
    QString out = text.left(64);
    for (QChar& c : out)
        if (c.unicode() < ' ' || c == QChar::ReplacementCharacter)
            c = QLatin1Char('?');
    return out;
}

} // namespace

UpdateCheckOutcome CheckForUpdates(HttpClient& http, const UpdateCheckRequest& request)
{
    if (request.lastCheck.isValid() && request.lastCheck == request.today) {
        UpdateCheckOutcome out;
        out.result = UpdateCheckOutcome::CheckedToday;
        return out;
    }
    QString text;
    try {
        text = QString::fromUtf8(http.getText(request.versionAddress, kMaxVersionFileBytes));
    } catch (const std::exception& e) {
        return failed(kPrefix + QString::fromUtf8(e.what()), exceptionClassName(e));
    } catch (...) {
        return failed(QStringLiteral("Unspezifizierte Exception in Funktion 'CheckForUpdates()' in Datei "
                                     "Versionsinformationen"),
                      QStringLiteral("Exception"));
    }
    UpdateCheckOutcome out;
    switch (compareVersions(text, request.installedVersion)) {
    case VersionOrder::SameText: out.result = UpdateCheckOutcome::Same; break;
    case VersionOrder::Newer: out.result = UpdateCheckOutcome::Newer; break;
    case VersionOrder::NotNewer: out.result = UpdateCheckOutcome::NotNewer; break;
    case VersionOrder::Unreadable:
        // Nothing to compare: a broken version file counts as a failed check.
        return failed(kPrefix + QStringLiteral("Keine Versionsnummer: \"%1\" (installiert: \"%2\")")
                                    .arg(excerpt(text), request.installedVersion),
                      QStringLiteral("Exception"));
    }
    out.serverVersion = versionText(text).toString();
    return out;
}
