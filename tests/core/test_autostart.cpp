// The autostart entry: its desktop entry text, switching it on and off, and
// the XDG folder it lives in.
#include "desktop/Autostart.h"
#include "desktop/Shortcut.h"
#include "desktop/XdgAutostartFolder.h"
#include "fakes/FakeAutostartFolder.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// desktop-file-validate's verdict on `path`; empty when it is happy.
QString validatorComplaints(const QString& path)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        return QStringLiteral("desktop-file-validate is not installed (Debian package desktop-file-utils)");
    QProcess p;
    p.start(validator, {path});
    p.waitForFinished(30000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitCode() == 0 ? QString() : out + QStringLiteral(" (exit %1)").arg(p.exitCode());
}

QByteArray entryLine(const QByteArray& entry, const QByteArray& key)
{
    for (const QByteArray& line : entry.split('\n'))
        if (line.startsWith(key + '='))
            return line.mid(key.size() + 1);
    return {};
}

TEST(DesktopExec, ArgumentsAreQuotedAndEscapedAsTheFormatAsks)
{
    const struct
    {
        const char* in;
        const char* out;
    } cases[] = {
        {"/usr/bin/netzpegel", "/usr/bin/netzpegel"},
        {"/opt/Netz Pegel/netzpegel", "\"/opt/Netz Pegel/netzpegel\""},
        {"/home/a/100%/netzpegel", "/home/a/100%%/netzpegel"},
        {"/home/a/$HOME/x", "\"/home/a/\\\\$HOME/x\""},
        {"/home/a/b\"c", "\"/home/a/b\\\\\"c\""},
        {"/home/a/b\\c", "\"/home/a/b\\\\\\\\c\""},
        {"/home/ä/netzpegel", "\"/home/ä/netzpegel\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(desktopExecArgument(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(DesktopEntry, CarriesTheShortcutsFields)
{
    TShortcutCfg cfg;
    cfg.name = QStringLiteral("Netzpegel");
    cfg.target = QStringLiteral("/opt/netz pegel/netzpegel");
    cfg.workingFolder = QStringLiteral("/opt/netz pegel");
    cfg.iconFile = QStringLiteral("netzpegel");
    cfg.description = QStringLiteral("Netzwerkverkehr\nim Blick");
    const QByteArray entry = desktopEntryText(cfg);
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_EQ(entryLine(entry, "Type"), "Application");
    EXPECT_EQ(entryLine(entry, "Name"), "Netzpegel");
    EXPECT_EQ(entryLine(entry, "Exec"), "\"/opt/netz pegel/netzpegel\"");
    EXPECT_EQ(entryLine(entry, "Path"), "/opt/netz pegel");
    EXPECT_EQ(entryLine(entry, "Icon"), "netzpegel");
    EXPECT_EQ(entryLine(entry, "Comment"), "Netzwerkverkehr\\nim Blick") << "one line";

    TShortcutCfg bare;
    bare.target = QStringLiteral("/usr/bin/netzpegel");
    const QByteArray minimal = desktopEntryText(bare);
    EXPECT_EQ(entryLine(minimal, "Name"), "netzpegel") << "a nameless entry takes the program's name";
    EXPECT_FALSE(minimal.contains("Path=")) << "fields not set are left out";
    EXPECT_FALSE(minimal.contains("Icon="));
    EXPECT_FALSE(minimal.contains("Comment="));
}

TEST(Autostart, OnTwiceLeavesOneEntryOffWhenGoneIsNoFailure)
{
    FakeAutostartFolder folder;
    Autostart a(folder, QStringLiteral("Netzpegel"), QStringLiteral("/usr/bin/netzpegel"), QStringLiteral("Monitor"));
    EXPECT_FALSE(a.isOn());
    ASSERT_TRUE(a.switchOn());
    ASSERT_TRUE(a.switchOff());
    ASSERT_TRUE(a.switchOn());
    EXPECT_TRUE(a.isOn());
    ASSERT_EQ(folder.entries.size(), 1);
    EXPECT_EQ(folder.entries.firstKey(), "Netzpegel.desktop");
    const QByteArray entry = folder.entries.first();
    EXPECT_EQ(entryLine(entry, "Exec"), "/usr/bin/netzpegel");
    EXPECT_EQ(entryLine(entry, "Path"), "/usr/bin");
    EXPECT_EQ(entryLine(entry, "Comment"), "Monitor");

    folder.entries.clear(); // removed behind the program's back
    EXPECT_FALSE(a.isOn());
    EXPECT_TRUE(a.switchOff());

    folder.writeFails = true;
    EXPECT_FALSE(a.switchOn());
    EXPECT_FALSE(a.isOn());
}

TEST(Autostart, WithoutAProductNameTheFileIsNamedDesktopOnly)
{
    FakeAutostartFolder folder;
    Autostart a(folder, QString(), QStringLiteral("/usr/bin/netzpegel"), QString());
    ASSERT_TRUE(a.switchOn());
    ASSERT_TRUE(folder.entries.contains(QStringLiteral(".desktop")));
    EXPECT_EQ(entryLine(folder.entries.value(QStringLiteral(".desktop")), "Name"), "netzpegel");
}

TEST(AutostartEntry, TheDesktopsOwnSwitchesTurnItOff)
{
    const struct
    {
        const char* text;
        bool enabled;
    } cases[] = {
        {"[Desktop Entry]\nType=Application\nExec=netzpegel\n", true},
        {"[Desktop Entry]\nExec=netzpegel\nHidden=true\n", false},
        {"[Desktop Entry]\nExec=netzpegel\nHidden = True\r\n", false},
        {"[Desktop Entry]\nHidden=false\n", true},
        {"[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n", false},
        {"[Desktop Entry]\nX-GNOME-Autostart-enabled=true\n", true},
        {"[Desktop Entry]\nExec=netzpegel\n[Desktop Action x]\nHidden=true\n", true}, // another group's key
        {"# Hidden=true\n[Desktop Entry]\nExec=netzpegel\n", true},
        {"[Desktop Entry]\nNoDisplay=true\n", true}, // hides a menu entry, not the start
        {"", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(autostartEntryEnabled(QByteArray(c.text)), c.enabled) << c.text;
}

TEST(Autostart, AnEntryTheDesktopSwitchedOffIsOffAndSwitchingOnEnablesIt)
{
    QTemporaryDir config;
    XdgAutostartFolder folder(config.path());
    Autostart a(folder, QStringLiteral("Netzpegel"), QStringLiteral("/usr/bin/netzpegel"), QString());
    for (const QByteArray off : {QByteArray("Hidden=true"), QByteArray("X-GNOME-Autostart-enabled=false")}) {
        ASSERT_TRUE(a.switchOn());
        QFile f(config.filePath(QStringLiteral("Netzpegel.desktop")));
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(off + '\n'); // as the desktop's start-up settings leave it
        f.close();
        EXPECT_FALSE(a.isOn()) << off.constData();
        ASSERT_TRUE(a.switchOn());
        EXPECT_TRUE(a.isOn()) << off.constData();
        EXPECT_FALSE(folder.read(QStringLiteral("Netzpegel.desktop")).contains(off));
    }
}

TEST(XdgAutostartFolder, FollowsXdgConfigHome)
{
    QTemporaryDir config;
    const QByteArray before = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    EXPECT_EQ(XdgAutostartFolder::defaultPath(), config.path() + QStringLiteral("/autostart"));
    qputenv("XDG_CONFIG_HOME", before);
}

TEST(XdgAutostartFolder, WritesAnEntryTheValidatorAcceptsAndRemovesIt)
{
    QTemporaryDir config;
    // A folder that does not exist yet is made.
    XdgAutostartFolder folder(config.path() + QStringLiteral("/neu/autostart"));
    Autostart a(folder, QStringLiteral("Netzpegel"), QStringLiteral("/opt/Netz Pegel 100%/netzpegel"),
                QStringLiteral("Netzwerkverkehr im Blick"));
    ASSERT_TRUE(a.switchOn());
    ASSERT_TRUE(a.switchOn());
    const QString path = folder.path() + QStringLiteral("/Netzpegel.desktop");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Netzpegel.desktop"});
    EXPECT_EQ(validatorComplaints(path), QString());
    EXPECT_TRUE(a.isOn());
    ASSERT_TRUE(a.switchOff());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(a.switchOff());
}

TEST(XdgAutostartFolder, AFolderThatIsAFileRefusesTheEntry)
{
    QTemporaryDir config;
    const QString blocked = config.path() + QStringLiteral("/autostart");
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("kein Ordner");
    file.close();
    XdgAutostartFolder folder(blocked);
    Autostart a(folder, QStringLiteral("Netzpegel"), QStringLiteral("/usr/bin/netzpegel"), QString());
    EXPECT_FALSE(a.switchOn());
    EXPECT_FALSE(a.isOn());
    EXPECT_TRUE(a.switchOff());
    QFile kept(blocked);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "kein Ordner") << "the file in the way is left alone";
}

} // namespace
