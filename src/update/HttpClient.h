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

// A transfer that did not deliver the whole body of a 2xx answer. what() is
// the text for the log; kind() tells the window which language text to show.
class HttpError : public std::runtime_error
{
public:
    enum class Kind {
        Failed,            // the connection, the server's status or the engine: what() says
        TooLarge,          // longer than the largest download allowed
        LongerThanAnnounced,
        Deadline,          // the whole transfer took too long
        NoRoom,            // not enough free space for it
        NotHttps,          // the address, or a redirect, is not https
    };
    explicit HttpError(const std::string& what, Kind kind = Kind::Failed)
        : std::runtime_error(what)
        , m_kind(kind)
    {
    }
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// The largest download taken, announced or not: an update is a few megabytes.
constexpr qint64 kMaxDownloadBytes = qint64(512) * 1024 * 1024;

// Asked once before the first byte of a download is written, with the bytes
// it may come to: the announced length, or the largest download allowed when
// none is announced. False refuses the download (HttpError::Kind::NoRoom).
using RoomCheck = std::function<bool(qint64 bytes)>;

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
    // Streams the body of a GET into `sink`, only from an https address and
    // never through a redirect to another scheme. Throws HttpError as getText
    // does, when the bytes that arrive are not the bytes the server announced,
    // when there are more than the client's limit, when the whole transfer
    // outlasts its deadline, and when `room` refuses.
    virtual void getToFile(const QString& url, QIODevice& sink, const HttpProgress& progress,
                           const RoomCheck& room = {}) = 0;

    // Ends the running transfer and makes every later one fail at once,
    // until clearAbort(). Safe from any thread.
    virtual void abort() = 0;
    virtual void clearAbort() = 0;
};
