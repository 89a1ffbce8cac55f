#pragma once

#include "update/HttpClient.h"

#include <QMutex>
#include <QSet>

#include <atomic>

// How long a transfer may take and how much it may bring.
struct HttpOptions
{
    int connectMs = 30000;
    int stallSeconds = 60;          // no byte for this long ends a transfer
    int textTotalMs = 60000;        // a text GET as a whole
    int fileTotalMs = 3600000;      // a download as a whole: a slow line, not a server that drips for ever
    qint64 maxFileBytes = kMaxDownloadBytes;
    QString caFile;                 // certificates to trust instead of the system's (tests)
};

// The update service's HTTP client on libcurl's easy interface: one fresh
// handle per transfer, at most one redirect, certificates always verified,
// http and https only, a download only over https.
class CurlHttpClient : public HttpClient
{
public:
    explicit CurlHttpClient(const HttpOptions& options = HttpOptions());
    ~CurlHttpClient() override;
    CurlHttpClient(const CurlHttpClient&) = delete;
    CurlHttpClient& operator=(const CurlHttpClient&) = delete;

    void setProxy(const ProxySettings& proxy) override;
    ProxySettings proxy() const override;
    QByteArray getText(const QString& url, qint64 maxBytes) override;
    void getToFile(const QString& url, QIODevice& sink, const HttpProgress& progress,
                   const RoomCheck& room = {}) override;
    void abort() override;
    void clearAbort() override;

    static const char* userAgent();
    static const char* acceptHeader();

private:
    struct Transfer;
    friend struct CurlCallbacks;
    void perform(const QString& url, Transfer& transfer);

    HttpOptions m_options;
    mutable QMutex m_proxyMutex;
    ProxySettings m_proxy;
    std::atomic<bool> m_aborted{false};
    // The transfer's open sockets, so that abort() can cut them at once
    // instead of waiting for the next progress call.
    QMutex m_socketMutex;
    QSet<int> m_sockets;
};
