// The window-less modes run without any display and leave the program folder alone.
#include "BuildVersion.h"
#include "support/TempHome.h"
#include "support/e2e/CommandLineRun.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

TEST(E2eCommandLine, HelpAndVersionNeedNoDisplayAndWriteNothing)
{
    TempHome home;
    const CommandLineRun help = runCommandLine({QStringLiteral("--help")});
    ASSERT_FALSE(help.crashed) << help.err.constData();
    EXPECT_EQ(help.exitCode, 0) << help.err.constData();
    EXPECT_TRUE(help.out.contains("--version")) << help.out.constData();
    EXPECT_TRUE(help.err.isEmpty()) << help.err.constData();

    const CommandLineRun version = runCommandLine({QStringLiteral("--version")});
    ASSERT_FALSE(version.crashed) << version.err.constData();
    EXPECT_EQ(version.exitCode, 0) << version.err.constData();
    EXPECT_EQ(version.out, QByteArray("Netzpegel " NETZPEGEL_VERSION_TEXT "\n"));

    EXPECT_TRUE(QDir(home.folder()).isEmpty()) << "no shipped file is laid down";
}

} // namespace
