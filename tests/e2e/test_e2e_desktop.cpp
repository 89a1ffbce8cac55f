// The executable on a desktop: installed into a folder of its own, and its
// windows under a real X server with a window manager across restarts.
#include "BuildVersion.h"
#include "support/QtPrinters.h"
#include "support/TestDatabase.h"
#include "support/e2e/E2eTest.h"
#include "support/e2e/XServer.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

namespace {

constexpr qint64 kPayload = 40000;

using E2eDesktop = E2eTest;

QString run(const QString& program, const QStringList& arguments, const QProcessEnvironment& env, QString* output)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForFinished(120000))
        return QStringLiteral("did not finish");
    *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 ? QString() : QStringLiteral("failed");
}

// systemd-analyze verify on an installed unit, its program taken from the staging folder; what
// it printed, empty when it found nothing.
QString verifyUnit(const QString& unit, const QString& stagedExe, bool user)
{
    QFile f(unit);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("not installed: ") + unit;
    QByteArray text = f.readAll();
    if (!text.contains("\nExecStart=/usr/bin/netzpegel --service\n"))
        return QStringLiteral("ExecStart does not start the installed program's service:\n") + QString::fromUtf8(text);
    text.replace("ExecStart=/usr/bin/netzpegel", "ExecStart=" + stagedExe.toUtf8());
    QTemporaryDir dir;
    QFile copy(dir.filePath(QStringLiteral("netzpegel.service")));
    if (!copy.open(QIODevice::WriteOnly) || copy.write(text) != text.size())
        return QStringLiteral("cannot copy the unit");
    copy.close();
    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (analyze.isEmpty())
        return QStringLiteral("systemd-analyze is not installed (Debian package systemd)");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QTemporaryDir runtime; // a user manager's runtime folder, which a test run has none of
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    QStringList arguments{QStringLiteral("verify"), copy.fileName()};
    if (user)
        arguments.prepend(QStringLiteral("--user"));
    QString output;
    if (!run(analyze, arguments, env, &output).isEmpty())
        return QStringLiteral("systemd-analyze failed:\n") + output;
    return output.trimmed(); // a warning (an unknown key) is a finding too
}

int iniValue(const QString& ini, const QString& key)
{
    QFile f(ini);
    if (!f.open(QIODevice::ReadOnly))
        return -99999;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key.toUtf8() + '='))
            return line.mid(key.size() + 1).trimmed().toInt();
    return -99999;
}

TEST_F(E2eDesktop, InstalledProgramKeepsItsFilesInTheDataFolderAndCounts)
{
    QTemporaryDir root;
    const QString destdir = root.filePath(QStringLiteral("dest"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DESTDIR"), destdir);
    QString output;
    ASSERT_EQ(run(QStringLiteral(NETZPEGEL_CMAKE),
                  {QStringLiteral("--install"), QStringLiteral(NETZPEGEL_BUILD_DIR), QStringLiteral("--prefix"),
                   QStringLiteral("/usr")},
                  env, &output),
              QString())
        << qPrintable(output);
    const QString prefix = destdir + QStringLiteral("/usr");
    const QString exe = prefix + QStringLiteral("/bin/netzpegel");
    const QString launcher = prefix + QStringLiteral("/share/applications/netzpegel.desktop");
    ASSERT_TRUE(QFileInfo(exe).isExecutable());
    EXPECT_TRUE(QFileInfo::exists(prefix + QStringLiteral("/share/icons/hicolor/scalable/apps/netzpegel.svg")));
    EXPECT_EQ(verifyUnit(prefix + QStringLiteral("/lib/systemd/user/netzpegel.service"), exe, true), QString());
    EXPECT_EQ(verifyUnit(prefix + QStringLiteral("/lib/systemd/system/netzpegel.service"), exe, false), QString());
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty()) {
        ADD_FAILURE() << "desktop-file-validate is not installed (Debian package desktop-file-utils)";
    } else {
        EXPECT_EQ(run(validator, {launcher}, env, &output), QString()) << qPrintable(output);
        EXPECT_EQ(output.trimmed(), QString()) << "not even a hint";
    }

    // Started with an empty home, as from the launcher.
    const QString dataHome = root.filePath(QStringLiteral("data"));
    const QString folder = dataHome + QStringLiteral("/netzpegel/");
    QProcessEnvironment installed;
    installed.insert(QStringLiteral("NETZPEGEL_HOME"), QString()); // removed
    installed.insert(QStringLiteral("HOME"), root.filePath(QStringLiteral("home")));
    installed.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    installed.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
    {
        ProgramRun first(sandbox, home.folder(), exe, installed);
        ASSERT_TRUE(first.waitUntilReady()) << qPrintable(first.errorOutput());
        ASSERT_TRUE(first.terminate());
        ASSERT_TRUE(first.exitedCleanly()) << qPrintable(first.errorOutput());
    }
    for (const char* file : {"Datenbank.mdb", "netzpegel.ini", "deutsch.lan", "variables.conf", "Hilfe/index.htm",
                             "Help/index.htm"})
        EXPECT_TRUE(QFileInfo::exists(folder + QString::fromLatin1(file))) << file;
    EXPECT_EQ(QDir(prefix + QStringLiteral("/bin")).entryList(QDir::Files), QStringList{"netzpegel"})
        << "nothing written beside the installed program";
    EXPECT_TRUE(QDir(home.folder()).entryList(QDir::Files).isEmpty()) << "the test's own folder is not used";

    ASSERT_TRUE(setAnzeigen(folder + QStringLiteral("Datenbank.mdb"), lo, QStringLiteral("11")));
    ASSERT_TRUE(sandbox.pushTraffic(3000)); // counters above 0, where any start finds lo
    ProgramRun second(sandbox, home.folder(), exe, installed);
    ASSERT_TRUE(second.waitUntilReady()) << qPrintable(second.errorOutput());
    const LoopbackCounters start = sandbox.loopback();
    auto countedUpTo = [&](const LoopbackCounters& kernel) {
        return second.waitUntil([&] {
            const LoopbackCounters saved = savedCounters(lo, folder);
            return saved.valid && saved.rx == kernel.rx && saved.tx == kernel.tx;
        });
    };
    ASSERT_TRUE(countedUpTo(start)) << qPrintable(second.errorOutput());
    ASSERT_TRUE(sandbox.pushTraffic(kPayload));
    const LoopbackCounters end = sandbox.loopback();
    ASSERT_TRUE(countedUpTo(end));
    ASSERT_TRUE(second.terminate());
    EXPECT_TRUE(second.exitedCleanly()) << qPrintable(second.errorOutput());
    const DayTraffic booked = bookedSinceStart(lo, folder);
    EXPECT_EQ(booked.received, static_cast<double>(end.rx - start.rx));
    EXPECT_EQ(booked.send, static_cast<double>(end.tx - start.tx));
    EXPECT_GE(booked.received, kPayload);

    // A data folder that cannot be made: a message naming it, and no start.
    const QString blocked = root.filePath(QStringLiteral("blocked"));
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    installed.insert(QStringLiteral("XDG_DATA_HOME"), blocked);
    ProgramRun refused(sandbox, home.folder(), exe, installed);
    ASSERT_TRUE(refused.waitForExit());
    EXPECT_EQ(refused.exitCode(), 1);
    EXPECT_FALSE(messagesOf(refused.errorOutput(), QStringLiteral("error")).isEmpty());
    EXPECT_TRUE(refused.errorOutput().contains(blocked + QStringLiteral("/netzpegel/Datenbank.mdb")))
        << qPrintable(refused.errorOutput());
}

TEST_F(E2eDesktop, TenRestartsUnderAWindowManagerLeaveEveryWindowWhereItWas)
{
    XServer x;
    if (!x.unavailable().isEmpty())
        GTEST_SKIP() << qPrintable(x.unavailable());
    QProcessEnvironment desktop;
    desktop.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    desktop.insert(QStringLiteral("DISPLAY"), x.display());
    const QString title = QStringLiteral("Netzpegel (" NETZPEGEL_VERSION_TEXT ")");
    const QString ini = home.file(QStringLiteral("netzpegel.ini"));
    const QString dfu = QStringLiteral("dfu");
    const QString loGraph = QStringLiteral("lo (00:00:00:00:00:00)");
    const QString dfuGraph = QStringLiteral("DFÜ-Verbindung");

    struct Places
    {
        int left = 0;
        int top = 0;
        StoredPlace lo;
        StoredPlace dfu;
    };
    // `graphs`: the graph windows the settings show, by title.
    auto once = [&](const QStringList& graphs, Places* after) {
        ProgramRun run(sandbox, home.folder(), QStringLiteral(NETZPEGEL_EXE), desktop);
        ASSERT_TRUE(run.waitUntilReady()) << qPrintable(run.errorOutput());
        // Framed and shown by the window manager, then where the settings put it.
        ASSERT_TRUE(run.waitUntil([&] { return x.window(title).viewable; })) << qPrintable(run.errorOutput());
        // A loaded machine's window manager may frame the graph windows later;
        // they come to rest a moment after that.
        for (const QString& graph : graphs)
            ASSERT_TRUE(run.waitUntil([&] { return x.window(graph).viewable; })) << qPrintable(graph);
        ASSERT_TRUE(run.runFor(1000));
        const XServer::Window shown = x.window(title);
        EXPECT_EQ(shown.topLeft, QPoint(iniValue(ini, QStringLiteral("Left")), iniValue(ini, QStringLiteral("Top"))))
            << "on the screen where it was saved";
        ASSERT_TRUE(run.terminate());
        ASSERT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());
        after->left = iniValue(ini, QStringLiteral("Left"));
        after->top = iniValue(ini, QStringLiteral("Top"));
        after->lo = storedGraphPlace(db(), lo);
        after->dfu = storedGraphPlace(db(), dfu);
    };

    // A fresh installation placed at 200/150; lo's and the dial-up entry's graph windows shown.
    home.write(QStringLiteral("netzpegel.ini"), "[Allgemein]\nCacheInterval=5\n[Fenster]\nLeft=200\nTop=150\nVisible=1\n");
    Places first;
    ASSERT_NO_FATAL_FAILURE(once({dfuGraph}, &first));
    EXPECT_EQ(first.left, 200);
    EXPECT_EQ(first.top, 150);
    ASSERT_TRUE(first.dfu.valid);
    EXPECT_GT(first.dfu.links, 1280 / 2) << "a new graph window goes to the right edge";
    ASSERT_TRUE(setAnzeigen(db(), lo, QStringLiteral("11")));

    Places settled;
    ASSERT_NO_FATAL_FAILURE(once({loGraph, dfuGraph}, &settled));
    EXPECT_GT(settled.lo.links, 1280 / 2);
    for (int restart = 1; restart <= 10; ++restart) {
        Places now;
        ASSERT_NO_FATAL_FAILURE(once({loGraph, dfuGraph}, &now));
        EXPECT_EQ(now.left, 200) << "restart " << restart;
        EXPECT_EQ(now.top, 150) << "restart " << restart;
        EXPECT_EQ(QPoint(now.lo.links, now.lo.oben), QPoint(settled.lo.links, settled.lo.oben)) << "restart " << restart;
        EXPECT_EQ(QPoint(now.dfu.links, now.dfu.oben), QPoint(settled.dfu.links, settled.dfu.oben))
            << "restart " << restart;
    }
}

// A desktop as a Wayland session with XWayland has it (no compositor: only the variables), whose
// panel starts after the program: frames, the icon, the taskbar hint, tray clicks and F1.
TEST_F(E2eDesktop, OnAWaylandSessionWithALatePanelTheWindowsBehaveAsOnX11)
{
    XServer x;
    ASSERT_EQ(x.unavailable(), QString());
    for (const char* tool : {"xprop", "xdotool"})
        ASSERT_FALSE(QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            << tool << " is not installed (Debian packages x11-utils, xdotool)";
    // The desktop's opener records what the program asks it to open.
    QTemporaryDir bin;
    const QString opened = bin.filePath(QStringLiteral("opened"));
    QFile opener(bin.filePath(QStringLiteral("xdg-open")));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\necho \"$1\" >> '" + opened.toUtf8() + "'\n");
    opener.close();
    opener.setPermissions(opener.permissions() | QFileDevice::ExeOwner);

    QProcessEnvironment session;
    session.insert(QStringLiteral("QT_QPA_PLATFORM"), QString()); // removed: the user chose none
    session.insert(QStringLiteral("DISPLAY"), x.display());
    session.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-netzpegel-test"));
    session.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    session.insert(QStringLiteral("PATH"), bin.path() + QLatin1Char(':') + qEnvironmentVariable("PATH"));
    const QString title = QStringLiteral("Netzpegel (" NETZPEGEL_VERSION_TEXT ")");
    const QString dfuGraph = QStringLiteral("DFÜ-Verbindung");
    auto iconOf = [&] { return x.trayIcon(QStringLiteral("netzpegel")); };

    // First start in a fresh folder: no place saved, no notification area.
    ProgramRun run(sandbox, home.folder(), QStringLiteral(NETZPEGEL_EXE), session);
    ASSERT_TRUE(run.waitUntilReady()) << qPrintable(run.errorOutput());
    ASSERT_TRUE(run.waitUntil([&] { return x.window(title).viewable && x.window(dfuGraph).viewable; }))
        << "on XWayland, not on a Wayland compositor that is not there: " << qPrintable(run.errorOutput());
    for (const QString& w : {title, dfuGraph}) {
        ASSERT_TRUE(run.waitUntil([&] { return !x.frame(w).isNull(); })) << qPrintable(w);
        const QRect frame = x.frame(w);
        EXPECT_TRUE(x.workArea().contains(frame))
            << qPrintable(w) << ": title bar within reach, frame at " << frame.x() << "/" << frame.y();
    }

    // The panel comes: the icon goes there, the main window leaves the taskbar.
    ASSERT_EQ(x.startTrayHost(), QString());
    // The panel announces itself; asking the X server, which costs a round trip, is left to a
    // net every half minute.
    ASSERT_TRUE(run.waitUntil([&] { return !iconOf().isEmpty(); }, 15000))
        << "the icon in a panel that came later, when the panel announced itself";
    ASSERT_TRUE(run.waitUntil([&] {
        return x.property(x.windowId(title), QStringLiteral("_NET_WM_STATE")).contains("_NET_WM_STATE_SKIP_TASKBAR");
    }));
    const QString main = x.windowId(title);
    EXPECT_TRUE(x.property(main, QStringLiteral("_NET_WM_WINDOW_TYPE")).startsWith("_NET_WM_WINDOW_TYPE_UTILITY"));
    EXPECT_FALSE(x.property(main, QStringLiteral("WM_TRANSIENT_FOR")).isEmpty());
    EXPECT_TRUE(x.window(title).viewable) << "still shown";

    // A click on the icon hides the active main window and brings it back active.
    ASSERT_TRUE(x.xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), main}));
    ASSERT_TRUE(x.click(iconOf()));
    ASSERT_TRUE(run.waitUntil([&] { return !x.window(title).viewable; })) << "hidden into the icon";
    ASSERT_TRUE(x.click(iconOf()));
    ASSERT_TRUE(run.waitUntil([&] { return x.window(title).viewable && x.activeWindow() == main; }))
        << "back and active";
    // Covered by another window, it comes forward instead of going away.
    const QString graph = x.windowId(dfuGraph);
    ASSERT_TRUE(x.xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), graph}));
    ASSERT_TRUE(x.click(iconOf()));
    ASSERT_TRUE(run.waitUntil([&] { return x.activeWindow() == main; })) << "raised and active";
    EXPECT_TRUE(x.window(title).viewable);

    // F1 in a graph window while the main window is hidden: the help's start page.
    ASSERT_TRUE(x.click(iconOf()));
    ASSERT_TRUE(run.waitUntil([&] { return !x.window(title).viewable; }));
    ASSERT_TRUE(x.xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), graph}));
    ASSERT_TRUE(x.xdotool({QStringLiteral("key"), QStringLiteral("F1")}));
    auto openedText = [&] {
        QFile f(opened);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed() : QString();
    };
    ASSERT_TRUE(run.waitUntil([&] { return !openedText().isEmpty(); })) << "F1 opened nothing";
    EXPECT_EQ(openedText(), QUrl::fromLocalFile(home.file(QStringLiteral("Hilfe/index.htm"))).toString());
    ASSERT_TRUE(run.terminate());
    ASSERT_TRUE(run.exitedCleanly()) << qPrintable(run.errorOutput());

    // With the panel there from the start: left hidden, it starts in the icon, out of the taskbar.
    // lo's graph window shown where its title bar would be above the screen, as a first start left it.
    const QString loGraph = QStringLiteral("lo (00:00:00:00:00:00)");
    ASSERT_TRUE(setAnzeigen(db(), lo, QStringLiteral("11")));
    ASSERT_TRUE(setGraphPlace(db(), lo, 300, 0));
    ProgramRun again(sandbox, home.folder(), QStringLiteral(NETZPEGEL_EXE), session);
    ASSERT_TRUE(again.waitUntilReady()) << qPrintable(again.errorOutput());
    ASSERT_TRUE(again.waitUntil([&] { return x.window(loGraph).viewable && !x.frame(loGraph).isNull(); }));
    EXPECT_EQ(x.frame(loGraph).topLeft(), QPoint(300, x.workArea().y())) << "its frame at the top of the screen";
    ASSERT_TRUE(again.waitUntil([&] { return !iconOf().isEmpty(); }));
    EXPECT_FALSE(x.window(title).viewable);
    ASSERT_TRUE(x.click(iconOf()));
    ASSERT_TRUE(again.waitUntil([&] { return x.window(title).viewable; }));
    const QString shown = x.windowId(title);
    EXPECT_TRUE(x.property(shown, QStringLiteral("_NET_WM_STATE")).contains("_NET_WM_STATE_SKIP_TASKBAR"));
    EXPECT_TRUE(x.property(shown, QStringLiteral("_NET_WM_WINDOW_TYPE")).startsWith("_NET_WM_WINDOW_TYPE_UTILITY"));
    EXPECT_FALSE(x.property(shown, QStringLiteral("WM_TRANSIENT_FOR")).isEmpty());
    EXPECT_FALSE(x.property(shown, QStringLiteral("_NET_WM_ICON")).isEmpty()) << "the program's icon";
    EXPECT_FALSE(x.property(x.windowId(dfuGraph), QStringLiteral("_NET_WM_ICON")).isEmpty())
        << "a graph window carries it too";
    ASSERT_TRUE(again.terminate());
    ASSERT_TRUE(again.exitedCleanly()) << qPrintable(again.errorOutput());
}

} // namespace
