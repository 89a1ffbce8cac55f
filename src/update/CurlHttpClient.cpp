#include "update/CurlHttpClient.h"

#include <QIODevice>
#include <QMutexLocker>

#include <curl/curl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <mutex>

struct CurlHttpClient::Transfer
{
    CURL* curl = nullptr;
    CurlHttpClient* client = nullptr;
    // Text GET: the body, up to `maxBytes`.
    QByteArray text;
    qint64 maxBytes = -1;
    bool tooLong = false;
    // File GET.
    QIODevice* sink = nullptr;
    const HttpProgress* progress = nullptr;
    QString writeError;
    bool begun = false;
    qint64 received = 0;
    QByteArray statusLine;   // of the last answer, for the failure text
};

namespace {

bool successful(long status) { return status >= 200 && status < 300; }

long responseCode(CURL* curl)
{
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return status;
}

} // namespace

// The C callbacks reach the client's private state through this friend.
struct CurlCallbacks
{
    static size_t write(char* data, size_t size, size_t count, void* userdata)
    {
        auto* t = static_cast<CurlHttpClient::Transfer*>(userdata);
        const size_t n = size * count;
        // Bodies of error answers and of proxy challenges are not the content.
        if (!successful(responseCode(t->curl)))
            return n;
        if (!t->sink) {
            if (t->text.size() + static_cast<qint64>(n) > t->maxBytes) {
                t->tooLong = true;
                return 0;
            }
            t->text.append(data, static_cast<qsizetype>(n));
            return n;
        }
        if (!t->begun) {
            t->begun = true;
            curl_off_t length = -1;
            curl_easy_getinfo(t->curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
            if (t->progress->begin)
                t->progress->begin(length < 0 ? -1 : static_cast<qint64>(length));
        }
        if (t->sink->write(data, static_cast<qint64>(n)) != static_cast<qint64>(n)) {
            t->writeError = t->sink->errorString();
            return 0;
        }
        t->received += static_cast<qint64>(n);
        if (t->progress->work)
            t->progress->work(t->received);
        return n;
    }

    static size_t header(char* data, size_t size, size_t count, void* userdata)
    {
        auto* t = static_cast<CurlHttpClient::Transfer*>(userdata);
        const QByteArray line(data, static_cast<qsizetype>(size * count));
        if (line.startsWith("HTTP/"))
            t->statusLine = line.trimmed();
        return size * count;
    }

    static int progress(void* userdata, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        return static_cast<CurlHttpClient::Transfer*>(userdata)->client->m_aborted ? 1 : 0;
    }

    static curl_socket_t openSocket(void* userdata, curlsocktype, curl_sockaddr* address)
    {
        auto* client = static_cast<CurlHttpClient*>(userdata);
        // Close-on-exec: the updater started later must not inherit a connection.
        const int fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
        if (fd < 0)
            return CURL_SOCKET_BAD;
        QMutexLocker lock(&client->m_socketMutex);
        if (client->m_aborted) {
            ::close(fd);
            return CURL_SOCKET_BAD;
        }
        client->m_sockets.insert(fd);
        return fd;
    }

    static int closeSocket(void* userdata, curl_socket_t fd)
    {
        auto* client = static_cast<CurlHttpClient*>(userdata);
        QMutexLocker lock(&client->m_socketMutex);
        client->m_sockets.remove(fd);
        return ::close(fd);
    }
};

CurlHttpClient::CurlHttpClient(const HttpTimeouts& timeouts)
    : m_timeouts(timeouts)
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CurlHttpClient::~CurlHttpClient() = default;

const char* CurlHttpClient::userAgent() { return "Netzpegel_Update_Agent"; }
const char* CurlHttpClient::acceptHeader() { return "Accept: text/html, */*"; }

void CurlHttpClient::setProxy(const ProxySettings& proxy)
{
    QMutexLocker lock(&m_proxyMutex);
    m_proxy = proxy;
}

ProxySettings CurlHttpClient::proxy() const
{
    QMutexLocker lock(&m_proxyMutex);
    return m_proxy;
}

void CurlHttpClient::abort()
{
    m_aborted = true;
    QMutexLocker lock(&m_socketMutex);
    for (const int fd : std::as_const(m_sockets))
        ::shutdown(fd, SHUT_RDWR);   // wakes the transfer now; curl closes the socket itself
}

void CurlHttpClient::clearAbort() { m_aborted = false; }

QByteArray CurlHttpClient::getText(const QString& url, qint64 maxBytes)
{
    Transfer t;
    t.maxBytes = maxBytes;
    perform(url, t);
    return t.text;
}

void CurlHttpClient::getToFile(const QString& url, QIODevice& sink, const HttpProgress& progress)
{
    Transfer t;
    t.sink = &sink;
    t.progress = &progress;
    perform(url, t);
    if (progress.end)
        progress.end();
}

void CurlHttpClient::perform(const QString& url, Transfer& t)
{
    if (m_aborted)
        throw HttpError("Die Verbindung wurde getrennt.");
    const std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl)
        throw HttpError("libcurl konnte nicht gestartet werden.");
    const std::unique_ptr<curl_slist, void (*)(curl_slist*)> headers(
        curl_slist_append(nullptr, acceptHeader()), curl_slist_free_all);
    t.curl = curl.get();
    t.client = this;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    const QByteArray address = url.toUtf8();
    const ProxySettings proxy = this->proxy();
    const QByteArray proxyServer = proxy.server.toUtf8();
    const QByteArray proxyUser = proxy.authenticate.toUtf8();
    const QByteArray proxyPassword = proxy.password.toUtf8();

    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, address.constData());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_USERAGENT, userAgent());
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 1L);
    curl_easy_setopt(c, CURLOPT_TCP_NODELAY, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_timeouts.connectMs));
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, static_cast<long>(m_timeouts.stallSeconds));
    if (!t.sink)
        curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(m_timeouts.textTotalMs));
    // An empty proxy also keeps the environment's proxy variables out.
    curl_easy_setopt(c, CURLOPT_PROXY, proxyServer.constData());
    curl_easy_setopt(c, CURLOPT_NOPROXY, "");
    if (!proxy.server.isEmpty() && proxy.port > 0)
        curl_easy_setopt(c, CURLOPT_PROXYPORT, static_cast<long>(proxy.port));
    if (!proxy.server.isEmpty() && (!proxy.authenticate.isEmpty() || !proxy.password.isEmpty())) {
        curl_easy_setopt(c, CURLOPT_PROXYUSERNAME, proxyUser.constData());
        curl_easy_setopt(c, CURLOPT_PROXYPASSWORD, proxyPassword.constData());
        curl_easy_setopt(c, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
    }
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &CurlCallbacks::write);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &CurlCallbacks::header);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &CurlCallbacks::progress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(c, CURLOPT_OPENSOCKETFUNCTION, &CurlCallbacks::openSocket);
    curl_easy_setopt(c, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(c, CURLOPT_CLOSESOCKETFUNCTION, &CurlCallbacks::closeSocket);
    curl_easy_setopt(c, CURLOPT_CLOSESOCKETDATA, this);

    const CURLcode code = curl_easy_perform(c);
    if (m_aborted)
        throw HttpError("Die Verbindung wurde getrennt.");
    if (t.tooLong)
        throw HttpError(QStringLiteral("Die Antwort des Servers ist länger als %1 Bytes.")
                            .arg(t.maxBytes).toStdString());
    if (!t.writeError.isEmpty())
        throw HttpError(QStringLiteral("Die Datei konnte nicht geschrieben werden: %1").arg(t.writeError).toStdString());
    if (code != CURLE_OK)
        throw HttpError(errorBuffer[0] ? errorBuffer : curl_easy_strerror(code));
    if (!successful(responseCode(c)))
        throw HttpError(t.statusLine.isEmpty() ? QByteArray("HTTP " + QByteArray::number(responseCode(c))).toStdString()
                                                : t.statusLine.toStdString());
    curl_off_t announced = -1;
    curl_easy_getinfo(c, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    const qint64 received = t.sink ? t.received : t.text.size();
    if (announced >= 0 && received != announced)
        throw HttpError(QStringLiteral("Der Server kündigte %1 Bytes an, es kamen %2.")
                            .arg(announced).arg(received).toStdString());
}
