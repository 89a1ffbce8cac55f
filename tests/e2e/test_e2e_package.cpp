// The Debian package made from the build tree, as a user installs it.
#include "support/QtPrinters.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ToolRun
{
    bool ok = false;
    QString output;
};

ToolRun run(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    ToolRun r;
    if (!p.waitForFinished(300000))
        return {false, QStringLiteral("did not finish: ") + program};
    r.output = QString::fromUtf8(p.readAll());
    r.ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return r;
}

QString tool(const char* name, const char* package)
{
    const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (path.isEmpty())
        ADD_FAILURE() << name << " is not installed (Debian package " << package << ")";
    return path;
}

TEST(DebianPackage, CarriesItsFieldsAndLintianFindsNoError)
{
#ifdef NETZPEGEL_SANITIZED
    GTEST_SKIP() << "an instrumented program is never packaged; the ordinary build tree checks the package";
#endif
    const QString cpack = QFileInfo(QStringLiteral(NETZPEGEL_CMAKE)).dir().filePath(QStringLiteral("cpack"));
    const QString lintian = tool("lintian", "lintian");
    const QString dpkgDeb = tool("dpkg-deb", "dpkg");
    ASSERT_FALSE(lintian.isEmpty() || dpkgDeb.isEmpty());
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("dpkg-shlibdeps")).isEmpty())
        << "dpkg-shlibdeps is not installed (Debian package dpkg-dev)";

    QTemporaryDir out;
    const ToolRun made = run(cpack, {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                                 QStringLiteral(NETZPEGEL_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"),
                                 out.path()});
    ASSERT_TRUE(made.ok) << qPrintable(made.output);
    const QStringList debs = QDir(out.path()).entryList({QStringLiteral("*.deb")}, QDir::Files);
    ASSERT_EQ(debs.size(), 1) << qPrintable(made.output);
    const QString deb = out.filePath(debs.first());

    const ToolRun info = run(dpkgDeb, {QStringLiteral("--field"), deb});
    ASSERT_TRUE(info.ok) << qPrintable(info.output);
    auto field = [&](const QString& name) {
        for (const QString& line : info.output.split(QLatin1Char('\n')))
            if (line.startsWith(name + QStringLiteral(": ")))
                return line.mid(name.size() + 2);
        return QString();
    };
    // Found by dpkg-shlibdeps in the program itself, versions included.
    for (const char* library : {"libc6 (>=", "libqt6widgets6 (>=", "libsqlite3-0 (>=", "libcurl4 (>=", "libpq5 (>="})
        EXPECT_TRUE(field(QStringLiteral("Depends")).contains(QLatin1String(library)))
            << library << " in " << qPrintable(field(QStringLiteral("Depends")));
    EXPECT_TRUE(field(QStringLiteral("Depends")).contains(QLatin1String("qt6-qpa-plugins")))
        << "the platform plugins no linker sees";
    EXPECT_FALSE(field(QStringLiteral("Maintainer")).isEmpty());
    EXPECT_NE(field(QStringLiteral("Maintainer")), QStringLiteral("Netzpegel-Entwickler <netzpegel@localhost>"));
    EXPECT_TRUE(field(QStringLiteral("Homepage")).startsWith(QLatin1String("https://")));
    EXPECT_GE(info.output.count(QStringLiteral("\n ")), 5) << "a long description below the summary";

    const ToolRun checked = run(lintian, {QStringLiteral("--tag-display-limit"), QStringLiteral("0"), deb});
    for (const QString& line : checked.output.split(QLatin1Char('\n')))
        EXPECT_FALSE(line.startsWith(QLatin1String("E: "))) << qPrintable(line);
    EXPECT_TRUE(checked.ok) << qPrintable(checked.output);
}

} // namespace
