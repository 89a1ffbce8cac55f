#pragma once

#include "update/HttpClient.h"

#include <QMutex>
#include <QSet>

#include <atomic>

// How long a transfer may wait before it fails.
struct HttpTimeouts
{
    int connectMs = 30000;
    int stallSeconds = 60;     // no byte for this long ends a transfer
    int textTotalMs = 60000;   // a text GET as a whole
};

// The update service's HTTP client on libcurl's easy interface: one fresh
// handle per transfer, at most one redirect, certificates always verified,
// http and https only.
class CurlHttpClient : public HttpClient
{
public:
    explicit CurlHttpClient(const HttpTimeouts& timeouts = HttpTimeouts());
    ~CurlHttpClient() override;
    CurlHttpClient(const CurlHttpClient&) = delete;
    CurlHttpClient& operator=(const CurlHttpClient&) = delete;

    void setProxy(const ProxySettings& proxy) override;
    ProxySettings proxy() const override;
    QByteArray getText(const QString& url, qint64 maxBytes) override;
    void getToFile(const QString& url, QIODevice& sink, const HttpProgress& progress) override;
    void abort() override;
    void clearAbort() override;

    static const char* userAgent();
    static const char* acceptHeader();

private:
    struct Transfer;
    friend struct CurlCallbacks;
    void perform(const QString& url, Transfer& transfer);

    HttpTimeouts m_timeouts;
    mutable QMutex m_proxyMutex;
    ProxySettings m_proxy;
    std::atomic<bool> m_aborted{false};
    // The transfer's open sockets, so that abort() can cut them at once
    // instead of waiting for the next progress call.
    QMutex m_socketMutex;
    QSet<int> m_sockets;
};
