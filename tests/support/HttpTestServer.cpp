#include "support/HttpTestServer.h"

#include <QFile>
#include <QMutexLocker>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <openssl/crypto.h>

#include <algorithm>
#include <limits>

namespace {

// A key and a self-signed certificate for 127.0.0.1, made once per test program.
struct TestCertificate
{
    QTemporaryDir dir;
    QString key = dir.filePath(QStringLiteral("key.pem"));
    QString cert = dir.filePath(QStringLiteral("cert.pem"));

    TestCertificate()
    {
        QProcess make;
        make.setProcessChannelMode(QProcess::MergedChannels);
        make.start(QStringLiteral("openssl"),
                   {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                    key, "-out", cert, "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
                    "subjectAltName=IP:127.0.0.1", "-addext", "basicConstraints=critical,CA:TRUE"});
        if (!make.waitForFinished() || make.exitCode() != 0)
            qFatal("openssl could not make the test certificate: %s", make.readAll().constData());
    }
};

const TestCertificate& testCertificate()
{
    static const TestCertificate certificate;
    return certificate;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 404: return "Not Found";
    case 407: return "Proxy Authentication Required";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

} // namespace

// One connection: reads one request, answers it, closes.
class HttpTestConnection : public QObject
{
public:
    HttpTestConnection(QTcpSocket* socket, std::shared_ptr<HttpTestServer::Shared> shared)
        : QObject(socket)
        , m_socket(socket)
        , m_shared(std::move(shared))
    {
        connect(socket, &QTcpSocket::readyRead, this, [this] { read(); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this] { pump(); });
        if (auto* tls = qobject_cast<QSslSocket*>(socket))
            connect(tls, &QSslSocket::encryptedBytesWritten, this, [this] { pump(); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        // A TLS connection is handed over after its handshake: the request may be here already.
        QMetaObject::invokeMethod(this, [this] { read(); }, Qt::QueuedConnection);
    }

private:
    void read()
    {
        if (m_answered)
            return;
        m_input += m_socket->readAll();
        const qsizetype end = m_input.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        m_answered = true;
        HttpTestServer::Request request;
        const QList<QByteArray> lines = m_input.left(end).split('\n');
        request.requestLine = lines.value(0).trimmed();
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
        const QByteArray target = request.requestLine.split(' ').value(1);
        request.path = target.startsWith('/') ? target : QUrl::fromEncoded(target).path(QUrl::FullyEncoded).toUtf8();
        const qsizetype query = request.path.indexOf('?');
        if (query >= 0)
            request.path.truncate(query);

        QByteArray credentials;
        bool found = false;
        {
            QMutexLocker lock(&m_shared->mutex);
            m_shared->requests.append(request);
            credentials = m_shared->proxyCredentials;
            found = m_shared->routes.contains(request.path);
            if (found)
                m_route = m_shared->routes.value(request.path);
        }
        if (!credentials.isEmpty()
            && request.headers.value("proxy-authorization") != "Basic " + credentials.toBase64()) {
            answerEmpty(407, "Proxy-Authenticate: Basic realm=\"test\"\r\n");
            return;
        }
        if (!found) {
            answerEmpty(404, {});
            return;
        }
        if (m_route.stall)
            return;
        if (!m_route.location.isEmpty()) {
            answerEmpty(302, "Location: " + m_route.location + "\r\n");
            return;
        }
        m_size = m_route.patternSize >= 0 ? m_route.patternSize : m_route.body.size();
        if (m_route.endless) {
            m_route.patternSize = std::max<qint64>(m_route.patternSize, 0);
            m_size = std::numeric_limits<qint64>::max();
        }
        const QByteArray phrase = m_route.reasonPhrase.isEmpty() ? reason(m_route.status) : m_route.reasonPhrase;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(m_route.status) + ' ' + phrase + "\r\n";
        if (!m_route.noLength && !m_route.endless)
            head += "Content-Length: "
                + QByteArray::number(m_route.announcedLength >= 0 ? m_route.announcedLength : m_size) + "\r\n";
        head += "Content-Type: application/octet-stream\r\nConnection: close\r\n\r\n";
        m_socket->write(head);
        m_toSend = m_route.closeMidBody ? m_size / 2 : m_size;
        pump();
    }

    void answerEmpty(int status, const QByteArray& headers)
    {
        m_socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) + "\r\n" + headers
                        + "Content-Length: 0\r\nConnection: close\r\n\r\n");
        m_socket->disconnectFromHost();
    }

    void pump()
    {
        if (!m_answered || m_done || m_waiting)
            return;
        const qint64 piece = std::max<qint64>(1, m_route.pieceBytes);
        while (m_sent < m_toSend && queued() < 4 * piece) {
            const qint64 n = std::min(piece, m_toSend - m_sent);
            m_socket->write(m_route.patternSize >= 0 ? HttpTestServer::pattern(m_sent, n) : m_route.body.mid(m_sent, n));
            m_sent += n;
            if (m_route.chunkDelayMs > 0 && m_sent < m_toSend) {
                m_waiting = true;
                QTimer::singleShot(m_route.chunkDelayMs, this, [this] {
                    m_waiting = false;
                    pump();
                });
                return;
            }
        }
        if (m_sent >= m_toSend) {
            m_done = true;
            m_socket->disconnectFromHost();
        }
    }

    // Bytes written but not yet sent; a TLS socket encrypts at once and keeps them encrypted.
    qint64 queued() const
    {
        const auto* tls = qobject_cast<const QSslSocket*>(m_socket);
        return m_socket->bytesToWrite() + (tls ? tls->encryptedBytesToWrite() : 0);
    }

    QTcpSocket* m_socket;
    std::shared_ptr<HttpTestServer::Shared> m_shared;
    QByteArray m_input;
    HttpTestServer::Route m_route;
    bool m_answered = false;
    bool m_done = false;
    bool m_waiting = false;
    qint64 m_size = 0;
    qint64 m_toSend = 0;
    qint64 m_sent = 0;
};

class HttpTestListener : public QObject
{
public:
    HttpTestListener(std::shared_ptr<HttpTestServer::Shared> shared, HttpTestServer::Scheme scheme)
        : m_shared(std::move(shared))
        , m_scheme(scheme)
    {
    }

    quint16 listen()
    {
        if (m_scheme == HttpTestServer::Scheme::Https) {
            auto* tls = new QSslServer(this);
            QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
            configuration.setLocalCertificate(QSslCertificate(fileBytes(testCertificate().cert)));
            configuration.setPrivateKey(QSslKey(fileBytes(testCertificate().key), QSsl::Ec));
            configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
            // It verifies no one: without the system's certificates each handshake is quick.
            configuration.setCaCertificates({});
            tls->setSslConfiguration(configuration);
            m_server = tls;
        } else {
            m_server = new QTcpServer(this);
        }
        // After the handshake, for TLS: only then is a connection pending.
        connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket* socket = m_server->nextPendingConnection())
                new HttpTestConnection(socket, m_shared);
        });
        return m_server->listen(QHostAddress::LocalHost, 0) ? m_server->serverPort() : 0;
    }

    void stop()
    {
        // Sockets are children of the server: a stalled connection ends here.
        delete m_server;
        m_server = nullptr;
    }

private:
    std::shared_ptr<HttpTestServer::Shared> m_shared;
    HttpTestServer::Scheme m_scheme;
    QTcpServer* m_server = nullptr;
};

HttpTestServer::HttpTestServer(Scheme scheme)
    : m_shared(std::make_shared<Shared>())
    , m_scheme(scheme)
    , m_thread(new QThread)
    , m_listener(new HttpTestListener(m_shared, scheme))
{
    if (scheme == Scheme::Https)
        testCertificate();   // made here, not on the server's thread
    m_listener->moveToThread(m_thread);
    // wait() returns before a detached thread's exit handlers have run, so OpenSSL's state for
    // the thread could still be alive when the test's process ends: free it on the thread itself.
    QObject::connect(m_thread, &QThread::finished, m_thread, [] { OPENSSL_thread_stop(); }, Qt::DirectConnection);
    m_thread->start();
    QMetaObject::invokeMethod(m_listener, [this] { m_port = m_listener->listen(); }, Qt::BlockingQueuedConnection);
}

HttpTestServer::~HttpTestServer()
{
    QMetaObject::invokeMethod(m_listener, [this] { m_listener->stop(); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_listener;
    delete m_thread;
}

HttpTestServer::Route HttpTestServer::Route::answer(int status, const QByteArray& body)
{
    Route route;
    route.status = status;
    route.body = body;
    return route;
}

QString HttpTestServer::url(const QByteArray& path) const
{
    return QStringLiteral("%1://127.0.0.1:%2%3")
        .arg(m_scheme == Scheme::Https ? QStringLiteral("https") : QStringLiteral("http"))
        .arg(m_port)
        .arg(QString::fromUtf8(path));
}

QString HttpTestServer::caFile() { return testCertificate().cert; }

void HttpTestServer::setRoute(const QByteArray& path, const Route& route)
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->routes.insert(path, route);
}

void HttpTestServer::setBody(const QByteArray& path, const QByteArray& body)
{
    setRoute(path, Route::answer(200, body));
}

void HttpTestServer::requireProxyCredentials(const QByteArray& userAndPassword)
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->proxyCredentials = userAndPassword;
}

int HttpTestServer::requestCount() const
{
    QMutexLocker lock(&m_shared->mutex);
    return static_cast<int>(m_shared->requests.size());
}

int HttpTestServer::requestCount(const QByteArray& path) const
{
    QMutexLocker lock(&m_shared->mutex);
    return static_cast<int>(std::count_if(m_shared->requests.begin(), m_shared->requests.end(),
                                          [&](const Request& r) { return r.path == path; }));
}

QList<HttpTestServer::Request> HttpTestServer::requests() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->requests;
}

QByteArray HttpTestServer::pattern(qint64 offset, qint64 size)
{
    QByteArray out(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i) {
        const qint64 n = offset + i;
        out[i] = static_cast<char>((n * 7 + (n >> 9)) & 0xFF);
    }
    return out;
}
