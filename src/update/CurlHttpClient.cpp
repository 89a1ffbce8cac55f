#include "update/CurlHttpClient.h"

#include "update/LibCurl.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QMutexLocker>
#include <QUrl>

#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <optional>

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
    const RoomCheck* room = nullptr;
    qint64 maxFileBytes = 0;
    QString writeError;
    bool begun = false;
    qint64 received = 0;
    qint64 announced = -1;   // Content-Length of the last answer, read here: libcurl is told to ignore it
    std::optional<HttpError> refusal;
    QByteArray statusLine;   // of the last answer, for the failure text
};

namespace {

// libcurl, loaded on first use; where it cannot be, the loader's reason is the failure.
const LibCurl& lib()
{
    QString reason;
    if (const LibCurl* functions = LibCurl::load(&reason))
        return *functions;
    throw HttpError(QStringLiteral("libcurl lässt sich nicht laden: %1").arg(reason).toStdString());
}

bool successful(long status) { return status >= 200 && status < 300; }

long responseCode(CURL* curl)
{
    long status = 0;
    lib().curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return status;
}

// A server's status line for a message: one line of printable text, short.
QByteArray printable(const QByteArray& line)
{
    QByteArray out = line.left(200);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7f)
            c = '?';
    return out;
}

bool isHttps(const QString& url) { return QUrl(url).scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0; }

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
            if (t->announced > t->maxFileBytes) {
                t->refusal.emplace(QStringLiteral("Der Server kündigte %1 Bytes an, mehr als die erlaubten %2.")
                                       .arg(t->announced).arg(t->maxFileBytes).toStdString(),
                                   HttpError::Kind::TooLarge);
                return 0;
            }
            const qint64 needed = t->announced >= 0 ? t->announced : t->maxFileBytes;
            if (*t->room && !(*t->room)(needed)) {
                t->refusal.emplace(QStringLiteral("Für %1 Bytes ist nicht genug Platz frei.").arg(needed).toStdString(),
                                   HttpError::Kind::NoRoom);
                return 0;
            }
            if (t->progress->begin)
                t->progress->begin(t->announced);
        }
        // Nothing beyond the bound reaches the file.
        if (t->received + static_cast<qint64>(n) > (t->announced >= 0 ? t->announced : t->maxFileBytes)) {
            if (t->announced >= 0)
                t->refusal.emplace(QStringLiteral("Der Server sendet mehr als die angekündigten %1 Bytes.")
                                       .arg(t->announced).toStdString(),
                                   HttpError::Kind::LongerThanAnnounced);
            else
                t->refusal.emplace(QStringLiteral("Die Datei ist länger als die erlaubten %1 Bytes.")
                                       .arg(t->maxFileBytes).toStdString(),
                                   HttpError::Kind::TooLarge);
            return 0;
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
        if (line.startsWith("HTTP/")) {
            t->statusLine = printable(line.trimmed());
            t->announced = -1;
        } else if (line.toLower().startsWith("content-length:")) {
            bool ok = false;
            const qint64 length = line.mid(15).trimmed().toLongLong(&ok);
            t->announced = ok && length >= 0 ? length : -1;
        }
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

CurlHttpClient::CurlHttpClient(const HttpOptions& options)
    : m_options(options)
{
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

void CurlHttpClient::getToFile(const QString& url, QIODevice& sink, const HttpProgress& progress,
                               const RoomCheck& room)
{
    // The program the updater starts must not come over a plain connection.
    if (!isHttps(url))
        throw HttpError(QStringLiteral("Die Adresse %1 ist keine https-Adresse.").arg(url.left(200)).toStdString(),
                        HttpError::Kind::NotHttps);
    Transfer t;
    t.sink = &sink;
    t.progress = &progress;
    t.room = &room;
    t.maxFileBytes = m_options.maxFileBytes;
    perform(url, t);
    if (progress.end)
        progress.end();
}

void CurlHttpClient::perform(const QString& url, Transfer& t)
{
    if (m_aborted)
        throw HttpError("Die Verbindung wurde getrennt.");
    const std::unique_ptr<CURL, void (*)(CURL*)> curl(lib().curl_easy_init(), lib().curl_easy_cleanup);
    if (!curl)
        throw HttpError("libcurl konnte nicht gestartet werden.");
    const std::unique_ptr<curl_slist, void (*)(curl_slist*)> headers(
        lib().curl_slist_append(nullptr, acceptHeader()), lib().curl_slist_free_all);
    // The body of a download ends with the connection, so that a server sending
    // more than it announced is seen instead of cut off unnoticed.
    if (t.sink && !lib().curl_slist_append(headers.get(), "Connection: close"))
        throw HttpError("libcurl konnte nicht gestartet werden.");
    t.curl = curl.get();
    t.client = this;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    const QByteArray address = url.toUtf8();
    const ProxySettings proxy = this->proxy();
    const QByteArray proxyServer = proxy.server.toUtf8();
    const QByteArray proxyUser = proxy.authenticate.toUtf8();
    const QByteArray proxyPassword = proxy.password.toUtf8();
    const QByteArray caFile = m_options.caFile.toUtf8();
    // A redirect may not leave https; a download starts on https only.
    const bool https = isHttps(url);

    CURL* c = curl.get();
    lib().curl_easy_setopt(c, CURLOPT_URL, address.constData());
    lib().curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
    lib().curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    lib().curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, t.sink ? "https" : "http,https");
    lib().curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, https ? "https" : "http,https");
    lib().curl_easy_setopt(c, CURLOPT_USERAGENT, userAgent());
    lib().curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    lib().curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    lib().curl_easy_setopt(c, CURLOPT_MAXREDIRS, 1L);
    lib().curl_easy_setopt(c, CURLOPT_TCP_NODELAY, 1L);
    lib().curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    lib().curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!caFile.isEmpty())
        lib().curl_easy_setopt(c, CURLOPT_CAINFO, caFile.constData());
    lib().curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_options.connectMs));
    lib().curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    lib().curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, static_cast<long>(m_options.stallSeconds));
    // A server that drips a byte now and then never stalls: the whole transfer has a deadline.
    const int deadlineMs = t.sink ? m_options.fileTotalMs : m_options.textTotalMs;
    lib().curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(deadlineMs));
    if (t.sink) {
        lib().curl_easy_setopt(c, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
        lib().curl_easy_setopt(c, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    }
    // An empty proxy also keeps the environment's proxy variables out.
    lib().curl_easy_setopt(c, CURLOPT_PROXY, proxyServer.constData());
    lib().curl_easy_setopt(c, CURLOPT_NOPROXY, "");
    if (!proxy.server.isEmpty() && proxy.port > 0)
        lib().curl_easy_setopt(c, CURLOPT_PROXYPORT, static_cast<long>(proxy.port));
    if (!proxy.server.isEmpty() && (!proxy.authenticate.isEmpty() || !proxy.password.isEmpty())) {
        lib().curl_easy_setopt(c, CURLOPT_PROXYUSERNAME, proxyUser.constData());
        lib().curl_easy_setopt(c, CURLOPT_PROXYPASSWORD, proxyPassword.constData());
        lib().curl_easy_setopt(c, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
    }
    lib().curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &CurlCallbacks::write);
    lib().curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
    lib().curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &CurlCallbacks::header);
    lib().curl_easy_setopt(c, CURLOPT_HEADERDATA, &t);
    lib().curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    lib().curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &CurlCallbacks::progress);
    lib().curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);
    lib().curl_easy_setopt(c, CURLOPT_OPENSOCKETFUNCTION, &CurlCallbacks::openSocket);
    lib().curl_easy_setopt(c, CURLOPT_OPENSOCKETDATA, this);
    lib().curl_easy_setopt(c, CURLOPT_CLOSESOCKETFUNCTION, &CurlCallbacks::closeSocket);
    lib().curl_easy_setopt(c, CURLOPT_CLOSESOCKETDATA, this);

    QElapsedTimer elapsed;
    elapsed.start();
    const CURLcode code = lib().curl_easy_perform(c);
    if (m_aborted)
        throw HttpError("Die Verbindung wurde getrennt.");
    if (t.refusal)
        throw *t.refusal;
    if (t.tooLong)
        throw HttpError(QStringLiteral("Die Antwort des Servers ist länger als %1 Bytes.")
                            .arg(t.maxBytes).toStdString());
    if (!t.writeError.isEmpty())
        throw HttpError(QStringLiteral("Die Datei konnte nicht geschrieben werden: %1").arg(t.writeError).toStdString());
    if (code != CURLE_OK) {
        const std::string what = errorBuffer[0] ? errorBuffer : lib().curl_easy_strerror(code);
        // libcurl's clock may end the transfer a moment before ours says the deadline is there.
        if (code == CURLE_OPERATION_TIMEDOUT && elapsed.elapsed() + 250 >= deadlineMs)
            throw HttpError(what, HttpError::Kind::Deadline);
        // Every scheme but https is refused only for a download or after an https start: a redirect left it.
        if (code == CURLE_UNSUPPORTED_PROTOCOL && (t.sink || https))
            throw HttpError(what, HttpError::Kind::NotHttps);
        throw HttpError(what);
    }
    if (!successful(responseCode(c)))
        throw HttpError(t.statusLine.isEmpty() ? QByteArray("HTTP " + QByteArray::number(responseCode(c))).toStdString()
                                                : t.statusLine.toStdString());
    curl_off_t announced = t.announced;
    if (!t.sink)
        lib().curl_easy_getinfo(c, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    const qint64 received = t.sink ? t.received : t.text.size();
    if (announced >= 0 && received != announced)
        throw HttpError(QStringLiteral("Der Server kündigte %1 Bytes an, es kamen %2.")
                            .arg(announced).arg(received).toStdString());
}
