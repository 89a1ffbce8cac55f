// Which machine this is: the systemd machine id, or the tests' stand-in; a missing, empty or
// garbled id is refused with the reason.
#include "base/MachineIdentity.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct IdFile
{
    const char* what;
    const char* content; // nullptr: no file at all
    const char* id;      // nullptr: refused
    const char* reason;
};

TEST(MachineIdentity, ComesFromTheIdFileOrIsRefusedWithTheReason)
{
    qunsetenv("NETZPEGEL_MACHINE_ID");
    const std::vector<IdFile> cases{
        {"a systemd machine id", "4c4c4544004a5a10804bb4c04f4d3332\n", "4c4c4544004a5a10804bb4c04f4d3332", ""},
        {"no file", nullptr, nullptr, "cannot be read"},
        {"an empty file", "", nullptr, "empty"},
        {"blanks only", " \n\n", nullptr, "empty"},
        {"two words", "abc def\n", nullptr, "no machine id"},
        {"far too long", "0123456789012345678901234567890123456789012345678901234567890123456789"
                         "0123456789012345678901234567890123456789012345678901234567890123456789\n",
         nullptr, "no machine id"},
    };
    for (const IdFile& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("machine-id"));
        if (c.content) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.content);
        }
        MachineIdentity m;
        QString error;
        const bool ok = MachineIdentity::read(m, error, path);
        EXPECT_EQ(ok, c.id != nullptr) << c.what;
        if (c.id) {
            EXPECT_EQ(m.id, QString::fromLatin1(c.id)) << c.what;
            EXPECT_FALSE(m.hostName.isEmpty()) << c.what;
        } else {
            EXPECT_TRUE(m.id.isEmpty()) << c.what;
            EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << c.what << ": " << error.toStdString();
            EXPECT_TRUE(error.contains(path)) << c.what << ": the file is named";
        }
    }
}

TEST(MachineIdentity, TheTestsStandInWinsAndMayNotBeEmpty)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("none"));
    MachineIdentity m;
    QString error;
    qputenv("NETZPEGEL_MACHINE_ID", " test-machine \n");
    EXPECT_TRUE(MachineIdentity::read(m, error, missing));
    EXPECT_EQ(m.id, QStringLiteral("test-machine"));
    qputenv("NETZPEGEL_MACHINE_ID", "");
    MachineIdentity none;
    EXPECT_FALSE(MachineIdentity::read(none, error, missing));
    EXPECT_TRUE(error.contains(QLatin1String("NETZPEGEL_MACHINE_ID"))) << error.toStdString();
    qunsetenv("NETZPEGEL_MACHINE_ID");
}

} // namespace
