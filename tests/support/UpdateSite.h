#pragma once

#include "support/HttpTestServer.h"
#include "update/CurlHttpClient.h"

#include <QStringList>

class TempHome;

// An update server on 127.0.0.1 and the program folder's side of it:
// variables.conf pointing at the server, and a test updater that writes down
// how it was started. Log blocks are written while it lives.
class UpdateSite
{
public:
    explicit UpdateSite(const TempHome& home);
    ~UpdateSite();
    UpdateSite(const UpdateSite&) = delete;
    UpdateSite& operator=(const UpdateSite&) = delete;

    // Client options for the tests: the sites' certificate trusted, a stall
    // ends a transfer after two seconds.
    static HttpOptions clientOptions();

    HttpTestServer server;                                    // version file and address list
    HttpTestServer files{HttpTestServer::Scheme::Https};      // the downloads

    // The version file says `version`; the address list offers /files/`name`
    // on the https server, which serves HttpTestServer::pattern(size).
    void offer(const QByteArray& version, const QByteArray& name, qint64 size);
    void setVersion(const QByteArray& version);
    void setAddressList(const QByteArray& list);
    QByteArray fileUrl(const QByteArray& name) const;

    // variables.conf with "Update", "urls" and "Updater" (a name in the program folder).
    void writeVariables(const QString& updater = QStringLiteral("updater.sh")) const;
    // An executable updater.sh in the program folder.
    void writeUpdater() const;
    // Working folder, then the arguments of the updater's start; empty until it ran.
    QStringList updaterCall() const;
    QString log() const;

private:
    const TempHome& m_home;
};
