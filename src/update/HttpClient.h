#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <stdexcept>

class QIODevice;

// The proxy the update transfers go through; an empty server means none.
// `authenticate` is the user the proxy knows us by; empty sends no credentials.
struct ProxySettings
{
    QString server;
    int port = 0;
    QString authenticate;
    QString password;   // clear text, in memory only

    bool operator==(const ProxySettings&) const = default;
};

// A transfer that did not deliver the whole body of a 2xx answer.
class HttpError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// What a download reports while it runs; every member may be empty.
struct HttpProgress
{
    std::function<void(qint64 expected)> begin;   // -1: the server announced no length
    std::function<void(qint64 received)> work;
    std::function<void()> end;                    // only after a complete body
};

// A blocking HTTP client for the update service. One transfer at a time;
// abort() and setProxy() may be called from any thread while one runs.
class HttpClient
{
public:
    virtual ~HttpClient() = default;

    virtual void setProxy(const ProxySettings& proxy) = 0;
    virtual ProxySettings proxy() const = 0;

    // The body of a GET. Throws HttpError on any failure, on a status other
    // than 2xx, and on a body longer than `maxBytes`.
    virtual QByteArray getText(const QString& url, qint64 maxBytes) = 0;
    // Streams the body of a GET into `sink`. Throws HttpError as getText does,
    // and when fewer bytes arrive than the server announced.
    virtual void getToFile(const QString& url, QIODevice& sink, const HttpProgress& progress) = 0;

    // Ends the running transfer and makes every later one fail at once,
    // until clearAbort(). Safe from any thread.
    virtual void abort() = 0;
    virtual void clearAbort() = 0;
};
