#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>

#include <memory>

class QThread;
class HttpTestListener;

// A small HTTP/1.1 server on 127.0.0.1, in a thread of its own so that a test
// may call a blocking client from its own thread. It answers each path as
// told (or 404), can misbehave on purpose, counts and records the requests,
// and serves absolute request targets too, so it also stands in for a proxy.
// Every answer closes its connection. With TLS it speaks https, with a
// certificate for 127.0.0.1 that only a client trusting caFile() accepts.
class HttpTestServer
{
public:
    enum class Scheme { Http, Https };

    struct Route
    {
        int status = 200;
        QByteArray reasonPhrase;       // instead of the status's usual one
        QByteArray body;
        qint64 patternSize = -1;       // a generated body of this many bytes (pattern()) instead of `body`
        qint64 announcedLength = -1;   // Content-Length to send instead of the body's length
        bool noLength = false;         // no Content-Length: the body ends with the connection
        bool endless = false;          // no Content-Length, and a generated body that never ends
        bool stall = false;            // read the request, then answer nothing
        bool closeMidBody = false;     // send the headers and half the body, then close
        QByteArray location;           // a redirect: status 302 to this target
        int chunkDelayMs = 0;          // pause between the body's pieces
        qint64 pieceBytes = 64 * 1024; // size of those pieces

        static Route answer(int status, const QByteArray& body = {});
    };
    struct Request
    {
        QByteArray requestLine;
        QByteArray path;
        QHash<QByteArray, QByteArray> headers;   // names in lower case
    };

    explicit HttpTestServer(Scheme scheme = Scheme::Http);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    quint16 port() const { return m_port; }
    QString url(const QByteArray& path) const;
    // The certificate an https server shows, as a file of trusted certificates
    // for the client; the same for every server of the test program.
    static QString caFile();

    void setRoute(const QByteArray& path, const Route& route);
    void setBody(const QByteArray& path, const QByteArray& body);
    // Asks for proxy credentials (407) until a request brings these, as "user:password".
    void requireProxyCredentials(const QByteArray& userAndPassword);

    int requestCount() const;
    int requestCount(const QByteArray& path) const;
    QList<Request> requests() const;

    // The generated body of Route::patternSize: every byte differs from its neighbours.
    static QByteArray pattern(qint64 offset, qint64 size);
    static QByteArray pattern(qint64 size) { return pattern(0, size); }

private:
    friend class HttpTestConnection;
    friend class HttpTestListener;
    struct Shared
    {
        mutable QMutex mutex;
        QHash<QByteArray, Route> routes;
        QByteArray proxyCredentials;
        QList<Request> requests;
    };

    std::shared_ptr<Shared> m_shared;
    Scheme m_scheme;
    QThread* m_thread;
    HttpTestListener* m_listener;
    quint16 m_port = 0;
};
