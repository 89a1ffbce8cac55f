#include "support/UpdateSite.h"

#include "base/ExceptionLog.h"
#include "support/TempHome.h"

#include <QFile>

UpdateSite::UpdateSite(const TempHome& home)
    : m_home(home)
{
    setLogVersionTexts({QStringLiteral("1.0.0"), QStringLiteral("1.0.0"), QString()});
}

UpdateSite::~UpdateSite()
{
    clearLogVersionTexts();
}

HttpOptions UpdateSite::clientOptions()
{
    HttpOptions options;
    options.stallSeconds = 2;
    options.caFile = HttpTestServer::caFile();
    return options;
}

void UpdateSite::offer(const QByteArray& version, const QByteArray& name, qint64 size)
{
    setVersion(version);
    setAddressList(fileUrl(name) + ",\"" + server.url("/info page").toUtf8() + "\"");
    HttpTestServer::Route file;
    file.patternSize = size;
    files.setRoute("/files/" + name, file);
}

void UpdateSite::setVersion(const QByteArray& version) { server.setBody("/version.txt", version); }

void UpdateSite::setAddressList(const QByteArray& list) { server.setBody("/urls.txt", list); }

QByteArray UpdateSite::fileUrl(const QByteArray& name) const { return files.url("/files/" + name).toUtf8(); }

void UpdateSite::writeVariables(const QString& updater) const
{
    m_home.write(QStringLiteral("variables.conf"),
                 "[Variablen]\nCacheDateiname=netzpegel.cache\nUpdate=" + server.url("/version.txt").toUtf8()
                     + "\nurls=" + server.url("/urls.txt").toUtf8() + "\nUpdater=" + updater.toUtf8() + "\n");
}

void UpdateSite::writeUpdater() const
{
    m_home.write(QStringLiteral("updater.sh"),
                 "#!/bin/sh\n"
                 "out=\"$(dirname \"$0\")/updater-call.txt\"\n"
                 "{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n");
    QFile::setPermissions(m_home.file(QStringLiteral("updater.sh")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QStringList UpdateSite::updaterCall() const
{
    const QString text = QString::fromUtf8(m_home.read(QStringLiteral("updater-call.txt")));
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString UpdateSite::log() const { return QString::fromUtf8(m_home.read(QStringLiteral("error.txt"))); }
