// Where the program keeps its files: NETZPEGEL_HOME, the executable's folder,
// or the user's data folder for an installed program.
#include "base/ProgramFolder.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(ProgramFolder, ChosenFromHomeExecutableAndDataFolder)
{
    const struct
    {
        const char* home;
        bool installed;
        const char* expected;
    } cases[] = {
        {"/tmp/np", false, "/tmp/np/"},
        {"/tmp/np/", true, "/tmp/np/"},
        {"", false, "/opt/netzpegel/"},
        {"", true, "/home/u/.local/share/netzpegel/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolveProgramFolder(QString::fromLatin1(c.home), QStringLiteral("/opt/netzpegel"), c.installed,
                                       QStringLiteral("/home/u/.local/share")),
                  QString::fromLatin1(c.expected))
            << c.home << " " << c.installed;
}

TEST(ProgramFolder, AnExecutableWithItsLauncherBesideItIsInstalled)
{
    QTemporaryDir prefix;
    QDir(prefix.path()).mkpath(QStringLiteral("bin"));
    const QString bin = prefix.path() + QStringLiteral("/bin");
    EXPECT_FALSE(isInstalledProgramFolder(bin)) << "a writable folder of its own";
    QDir(prefix.path()).mkpath(QStringLiteral("share/applications"));
    QFile launcher(prefix.path() + QStringLiteral("/share/applications/netzpegel.desktop"));
    ASSERT_TRUE(launcher.open(QIODevice::WriteOnly));
    launcher.close();
    EXPECT_TRUE(isInstalledProgramFolder(bin));
    EXPECT_TRUE(isInstalledProgramFolder(prefix.path() + QStringLiteral("/does-not-exist")))
        << "a folder that cannot be written";
}

} // namespace
