// The libcurl client against a real server on 127.0.0.1.
#include "support/HttpTestServer.h"
#include "support/TempHome.h"
#include "update/CurlHttpClient.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <gtest/gtest.h>

#include <thread>

namespace {

// Short enough that a stalling server does not hold the suite up.
HttpTimeouts quickTimeouts()
{
    HttpTimeouts t;
    t.connectMs = 5000;
    t.stallSeconds = 2;
    t.textTotalMs = 10000;
    return t;
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
    CurlHttpClient http{quickTimeouts()};
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
    server.setRoute("/broken", error);
    for (const QByteArray& path : {QByteArray("/missing"), QByteArray("/broken")}) {
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        const std::string failure = failureOf([&] { http.getToFile(server.url(path), sink, {}); });
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
    server.setRoute("/cut", cut);
    HttpTestServer::Route short_;
    short_.body = "12345";
    short_.announcedLength = 10;
    server.setRoute("/short", short_);
    for (const QByteArray& path : {QByteArray("/cut"), QByteArray("/short")}) {
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        EXPECT_NE(failureOf([&] { http.getToFile(server.url(path), sink, {}); }), "no failure") << path.constData();
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
    server.setRoute("/file", file);
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    qint64 expected = 0;
    qint64 last = 0;
    int steps = 0;
    bool ended = false;
    HttpProgress progress{[&](qint64 n) { expected = n; }, [&](qint64 n) { last = n; ++steps; }, [&] { ended = true; }};
    http.getToFile(server.url("/file"), sink, progress);
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
    // A TLS server with a certificate made here; nothing trusts it.
    TempHome home;
    const QString key = home.file("key.pem");
    const QString cert = home.file("cert.pem");
    QProcess make;
    make.setProcessChannelMode(QProcess::MergedChannels);
    make.start(QStringLiteral("openssl"), {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                                           "-nodes", "-keyout", key, "-out", cert, "-days", "1", "-subj", "/CN=127.0.0.1",
                                           "-addext", "subjectAltName=IP:127.0.0.1"});
    ASSERT_TRUE(make.waitForFinished());
    ASSERT_EQ(make.exitCode(), 0) << make.readAll().toStdString();
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    QProcess tls;
    tls.setStandardOutputFile(QProcess::nullDevice());
    tls.start(QStringLiteral("openssl"), {"s_server", "-accept", QStringLiteral("127.0.0.1:%1").arg(port), "-cert",
                                          cert, "-key", key, "-www", "-quiet"});
    ASSERT_TRUE(tls.waitForStarted());
    bool listening = false;
    for (int i = 0; i < 200 && !listening; ++i) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port);
        listening = s.waitForConnected(50);
        if (!listening)
            QThread::msleep(20);
    }
    ASSERT_TRUE(listening);
    const std::string failure = failureOf([&] { http.getText(QStringLiteral("https://127.0.0.1:%1/").arg(port), 4096); });
    tls.kill();
    tls.waitForFinished();
    EXPECT_NE(QString::fromStdString(failure).indexOf(QStringLiteral("certificate"), 0, Qt::CaseInsensitive), -1)
        << failure;
}
