// The libcurl client against a real server on 127.0.0.1.
#include "support/HttpTestServer.h"
#include "support/TempHome.h"
#include "update/CurlHttpClient.h"

#include <QBuffer>
#include <QThread>
#include <gtest/gtest.h>

#include <thread>

namespace {

// Short enough that a stalling server does not hold the suite up; the https
// server's certificate trusted.
HttpOptions quickOptions()
{
    HttpOptions t;
    t.connectMs = 5000;
    t.stallSeconds = 2;
    t.textTotalMs = 10000;
    t.caFile = HttpTestServer::caFile();
    return t;
}

HttpError::Kind kindOf(const std::function<void()>& transfer)
{
    try {
        transfer();
    } catch (const HttpError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no failure";
    return HttpError::Kind::Failed;
}

std::string failureOf(const std::function<void()>& transfer)
{
    try {
        transfer();
    } catch (const HttpError& e) {
        return e.what();
    }
    return "no failure";
}

class HttpClientTest : public ::testing::Test
{
protected:
    HttpTestServer server;
    HttpTestServer secure{HttpTestServer::Scheme::Https};   // downloads come from https only
    CurlHttpClient http{quickOptions()};
};

} // namespace

TEST_F(HttpClientTest, SendsTheUserAgentAndAcceptHeaderAndReadsTheBody)
{
    server.setBody("/version.txt", "2.0.0.57");
    EXPECT_EQ(http.getText(server.url("/version.txt"), 1024), "2.0.0.57");
    ASSERT_EQ(server.requestCount(), 1);
    const HttpTestServer::Request r = server.requests().first();
    EXPECT_EQ(r.requestLine, "GET /version.txt HTTP/1.1");
    EXPECT_EQ(r.headers.value("user-agent"), "Netzpegel_Update_Agent");
    EXPECT_EQ(r.headers.value("accept"), "text/html, */*");
}

TEST_F(HttpClientTest, FollowsOneRedirectButNotTwo)
{
    server.setBody("/target", "content");
    HttpTestServer::Route hop;
    hop.location = server.url("/target").toUtf8();
    server.setRoute("/one", hop);
    hop.location = "/one";
    server.setRoute("/two", hop);

    EXPECT_EQ(http.getText(server.url("/one"), 1024), "content");
    const std::string failure = failureOf([&] { http.getText(server.url("/two"), 1024); });
    EXPECT_NE(failure.find("redirect"), std::string::npos) << failure;
    EXPECT_EQ(server.requestCount("/target"), 1) << "the second hop was not followed";
}

TEST_F(HttpClientTest, ErrorStatusesFailWithTheStatusLineAndWriteNothing)
{
    HttpTestServer::Route error;
    error.status = 500;
    error.body = "server error page";
    secure.setRoute("/broken", error);
    for (const QByteArray& path : {QByteArray("/missing"), QByteArray("/broken")}) {
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        const std::string failure = failureOf([&] { http.getToFile(secure.url(path), sink, {}); });
        EXPECT_NE(failure.find(path == "/missing" ? "404 Not Found" : "500 Internal Server Error"), std::string::npos)
            << failure;
        EXPECT_TRUE(sink.data().isEmpty()) << "the error page is not the download";
    }
}

TEST_F(HttpClientTest, ABodyShorterThanAnnouncedFails)
{
    HttpTestServer::Route cut;
    cut.patternSize = 300000;
    cut.closeMidBody = true;
    secure.setRoute("/cut", cut);
    HttpTestServer::Route short_;
    short_.body = "12345";
    short_.announcedLength = 10;
    secure.setRoute("/short", short_);
    for (const QByteArray& path : {QByteArray("/cut"), QByteArray("/short")}) {
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        EXPECT_NE(failureOf([&] { http.getToFile(secure.url(path), sink, {}); }), "no failure") << path.constData();
    }
}

TEST_F(HttpClientTest, AStallingServerTimesOut)
{
    HttpTestServer::Route stall;
    stall.stall = true;
    server.setRoute("/stall", stall);
    // The server never answers: only the client's stall limit ends this.
    const std::string failure = failureOf([&] { http.getText(server.url("/stall"), 1024); });
    EXPECT_NE(failure.find("too slow"), std::string::npos) << failure;
}

TEST_F(HttpClientTest, ATextLongerThanAllowedFails)
{
    server.setBody("/long", QByteArray(5000, 'x'));
    const std::string failure = failureOf([&] { http.getText(server.url("/long"), 4096); });
    EXPECT_NE(failure.find("4096"), std::string::npos) << failure;
}

TEST_F(HttpClientTest, ReportsProgressUpToTheAnnouncedLength)
{
    HttpTestServer::Route file;
    file.patternSize = 3 * 1024 * 1024;
    secure.setRoute("/file", file);
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    qint64 expected = 0;
    qint64 last = 0;
    int steps = 0;
    bool ended = false;
    HttpProgress progress{[&](qint64 n) { expected = n; }, [&](qint64 n) { last = n; ++steps; }, [&] { ended = true; }};
    http.getToFile(secure.url("/file"), sink, progress);
    EXPECT_EQ(expected, 3 * 1024 * 1024);
    EXPECT_EQ(last, expected);
    EXPECT_GT(steps, 1);
    EXPECT_TRUE(ended);
    EXPECT_EQ(sink.data(), HttpTestServer::pattern(3 * 1024 * 1024));
}

TEST_F(HttpClientTest, AbortFromAnotherThreadEndsAStalledTransferAtOnceUntilCleared)
{
    HttpTestServer::Route stall;
    stall.stall = true;
    server.setRoute("/stall", stall);
    CurlHttpClient patient;   // default timeouts: only the abort can end it soon
    std::thread aborter([&] {
        while (server.requestCount("/stall") == 0)
            QThread::msleep(1);
        patient.abort();
    });
    const std::string failure = failureOf([&] { patient.getText(server.url("/stall"), 1024); });
    aborter.join();
    // A minute's stall limit would say "too slow": this ended by the abort.
    EXPECT_NE(failure.find("getrennt"), std::string::npos) << failure;

    server.setBody("/ok", "fine");
    EXPECT_NE(failureOf([&] { patient.getText(server.url("/ok"), 1024); }), "no failure") << "aborted until cleared";
    patient.clearAbort();
    EXPECT_EQ(patient.getText(server.url("/ok"), 1024), "fine");
}

TEST_F(HttpClientTest, OnlyHttpAndHttpsAreFetched)
{
    TempHome home;
    home.write("secret.txt", "local file");
    const std::string failure = failureOf([&] { http.getText(QStringLiteral("file://") + home.file("secret.txt"), 1024); });
    EXPECT_NE(failure, "no failure");
}

TEST_F(HttpClientTest, GoesThroughTheProxyWithItsCredentials)
{
    HttpTestServer proxy;   // answers absolute targets like the origin would
    proxy.setBody("/version.txt", "2.0.0.58");
    proxy.requireProxyCredentials("netzer:geheim 1");
    // No origin listens on port 9: only the proxy can answer.
    http.setProxy({QStringLiteral("127.0.0.1"), proxy.port(), QStringLiteral("netzer"), QStringLiteral("geheim 1")});
    EXPECT_EQ(http.getText(QStringLiteral("http://127.0.0.1:9/version.txt"), 1024), "2.0.0.58");
    const QList<HttpTestServer::Request> seen = proxy.requests();
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.last().requestLine, "GET http://127.0.0.1:9/version.txt HTTP/1.1");
    EXPECT_EQ(seen.last().headers.value("proxy-authorization"), "Basic " + QByteArray("netzer:geheim 1").toBase64());
    EXPECT_EQ(seen.last().headers.value("user-agent"), "Netzpegel_Update_Agent");

    http.setProxy({QStringLiteral("127.0.0.1"), proxy.port(), QStringLiteral("netzer"), QStringLiteral("falsch")});
    EXPECT_NE(failureOf([&] { http.getText(QStringLiteral("http://127.0.0.1:9/version.txt"), 1024); }).find("407"),
              std::string::npos);
    http.setProxy({});
    server.setBody("/direct", "direct");
    EXPECT_EQ(http.getText(server.url("/direct"), 1024), "direct");
}

TEST_F(HttpClientTest, ASelfSignedCertificateIsRefused)
{
    // The test server's certificate is made here; only a client told to trust it does.
    secure.setBody("/version.txt", "2.0.0.58");
    HttpOptions systemTrust = quickOptions();
    systemTrust.caFile.clear();
    CurlHttpClient untrusting(systemTrust);
    const std::string failure = failureOf([&] { untrusting.getText(secure.url("/version.txt"), 4096); });
    EXPECT_NE(QString::fromStdString(failure).indexOf(QStringLiteral("certificate"), 0, Qt::CaseInsensitive), -1)
        << failure;
    EXPECT_EQ(secure.requestCount(), 0) << "nothing was asked of a server not trusted";
    EXPECT_EQ(http.getText(secure.url("/version.txt"), 4096), "2.0.0.58");
}

TEST_F(HttpClientTest, HostileDownloadsEndWithTheirKindAndWriteNothingBeyondTheBound)
{
    HttpOptions options = quickOptions();
    options.maxFileBytes = 1024 * 1024;
    options.fileTotalMs = 1500;   // the drip below would take hours
    CurlHttpClient bounded(options);

    HttpTestServer::Route endless;
    endless.endless = true;
    HttpTestServer::Route drip;
    drip.patternSize = 100000;
    drip.pieceBytes = 1;
    drip.chunkDelayMs = 100;   // ten bytes a second: never slow enough to count as a stall
    HttpTestServer::Route longer;
    longer.patternSize = 300000;
    longer.announcedLength = 1000;
    HttpTestServer::Route huge;
    huge.patternSize = 2 * options.maxFileBytes;
    HttpTestServer::Route toPlain;
    toPlain.location = server.url("/plain").toUtf8();
    secure.setRoute("/endless", endless);
    secure.setRoute("/drip", drip);
    secure.setRoute("/longer", longer);
    secure.setRoute("/huge", huge);
    secure.setRoute("/to-plain", toPlain);
    server.setBody("/plain", "came over a plain connection");

    const struct
    {
        const char* name;
        QString url;
        HttpError::Kind kind;
        qint64 bound;   // the most that may reach the file
    } cases[] = {
        {"endless body", secure.url("/endless"), HttpError::Kind::TooLarge, options.maxFileBytes},
        {"slow drip", secure.url("/drip"), HttpError::Kind::Deadline, drip.patternSize - 1},
        {"more than announced", secure.url("/longer"), HttpError::Kind::LongerThanAnnounced, 1000},
        {"announced beyond the limit", secure.url("/huge"), HttpError::Kind::TooLarge, 0},
        {"redirect to http", secure.url("/to-plain"), HttpError::Kind::NotHttps, 0},
        {"http address", server.url("/plain"), HttpError::Kind::NotHttps, 0},
    };
    for (const auto& c : cases) {
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        EXPECT_EQ(kindOf([&] { bounded.getToFile(c.url, sink, {}); }), c.kind) << c.name;
        EXPECT_LE(sink.size(), c.bound) << c.name;
    }
    EXPECT_EQ(server.requestCount("/plain"), 0) << "nothing was fetched over http";
    EXPECT_EQ(secure.requestCount("/to-plain"), 1);
}

TEST_F(HttpClientTest, TheRoomCheckSeesTheAnnouncedLengthOrTheLimitBeforeAnyByteIsWritten)
{
    HttpTestServer::Route announced;
    announced.patternSize = 5000;
    HttpTestServer::Route unannounced = announced;
    unannounced.noLength = true;
    secure.setRoute("/announced", announced);
    secure.setRoute("/unannounced", unannounced);
    const struct
    {
        const char* path;
        qint64 asked;
    } cases[] = {{"/announced", 5000}, {"/unannounced", kMaxDownloadBytes}};
    for (const auto& c : cases) {
        qint64 asked = -1;
        QBuffer refused;
        refused.open(QIODevice::WriteOnly);
        EXPECT_EQ(kindOf([&] {
                      http.getToFile(secure.url(c.path), refused, {}, [&](qint64 bytes) {
                          asked = bytes;
                          return false;
                      });
                  }),
                  HttpError::Kind::NoRoom)
            << c.path;
        EXPECT_EQ(asked, c.asked) << c.path;
        EXPECT_TRUE(refused.data().isEmpty()) << c.path;

        QBuffer admitted;
        admitted.open(QIODevice::WriteOnly);
        http.getToFile(secure.url(c.path), admitted, {}, [](qint64) { return true; });
        EXPECT_EQ(admitted.data(), HttpTestServer::pattern(5000)) << c.path;
    }
}

TEST_F(HttpClientTest, ARedirectMayLeaveHttpForHttpsButNeverTheOtherWay)
{
    secure.setBody("/version.txt", "2.0.0.58");
    HttpTestServer::Route up;
    up.location = secure.url("/version.txt").toUtf8();
    server.setRoute("/up", up);
    EXPECT_EQ(http.getText(server.url("/up"), 1024), "2.0.0.58");

    server.setBody("/version.txt", "9.9.9.99");
    HttpTestServer::Route down;
    down.location = server.url("/version.txt").toUtf8();
    secure.setRoute("/down", down);
    EXPECT_EQ(kindOf([&] { http.getText(secure.url("/down"), 1024); }), HttpError::Kind::NotHttps);
    EXPECT_EQ(server.requestCount("/version.txt"), 0);
}
