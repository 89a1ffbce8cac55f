// The folders of src/ form layers: an include may point into its own folder or into a folder
// below it, never up or sideways. A newcomer reads the order here.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Lowest first; nothing of ours below base.
const QStringList kLayers{
    QStringLiteral("base"),    QStringLiteral("config"), QStringLiteral("storage"), QStringLiteral("acquisition"),
    QStringLiteral("engine"),  QStringLiteral("reports"), QStringLiteral("graph"),  QStringLiteral("desktop"),
    QStringLiteral("update"),  QStringLiteral("cli"),     QStringLiteral("service"), QStringLiteral("app"),
};

// "file:line: folder -> included" for every include of `root` that leaves its folder for one at
// or above its own; also a folder the order does not know.
QStringList layerViolations(const QString& root)
{
    static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s*"([^"/]+)/[^"]*")"));
    QStringList found;
    QDirIterator it(root, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(root).relativeFilePath(path);
        const QString folder = relative.section(QLatin1Char('/'), 0, 0);
        const qsizetype own = kLayers.indexOf(folder);
        if (own < 0) {
            found << relative + QStringLiteral(": folder ") + folder + QStringLiteral(" has no layer");
            continue;
        }
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            found << relative + QStringLiteral(": unreadable");
            continue;
        }
        int line = 0;
        while (!f.atEnd()) {
            ++line;
            const QRegularExpressionMatch m = include.match(QString::fromUtf8(f.readLine()));
            if (!m.hasMatch())
                continue;
            const QString target = m.captured(1);
            const qsizetype theirs = kLayers.indexOf(target);
            if (target == folder || (theirs >= 0 && theirs < own))
                continue;
            if (theirs < 0 && !QFileInfo::exists(root + QLatin1Char('/') + target))
                continue; // not one of ours (generated headers)
            found << relative + QLatin1Char(':') + QString::number(line) + QStringLiteral(": ") + folder
                    + QStringLiteral(" -> ") + m.captured(0).trimmed();
        }
    }
    found.sort();
    return found;
}

void plant(const QString& root, const QString& file, const QByteArray& text)
{
    QDir(root).mkpath(QFileInfo(root + QLatin1Char('/') + file).path());
    QFile f(root + QLatin1Char('/') + file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

TEST(Layers, EveryIncludeOfTheProgramPointsDown)
{
    const QString src = QDir::cleanPath(QStringLiteral(NETZPEGEL_TEST_DATA "/../../src"));
    ASSERT_TRUE(QDir(src).exists(QStringLiteral("base"))) << src.toStdString();
    const QStringList violations = layerViolations(src);
    EXPECT_TRUE(violations.isEmpty()) << violations.join(QLatin1Char('\n')).toStdString();
}

TEST(Layers, AnIncludeUpOrSidewaysIsNamedWithFileAndLine)
{
    QTemporaryDir root;
    plant(root.path(), QStringLiteral("base/Log.cpp"), "#include \"base/Log.h\"\n#include <QString>\n");
    plant(root.path(), QStringLiteral("storage/Db.cpp"), "#include \"base/Log.h\"\n#include \"config/Ini.h\"\n");
    plant(root.path(), QStringLiteral("config/Ini.cpp"), "// reads\n\n#include \"storage/Db.h\"\n");
    plant(root.path(), QStringLiteral("graph/ui/Form.cpp"), "#include \"graph/Model.h\"\n  # include \"desktop/Tray.h\"\n");
    plant(root.path(), QStringLiteral("desktop/Tray.cpp"), "#include \"graph/ui/Form.h\"\n#include \"BuildVersion.h\"\n");
    plant(root.path(), QStringLiteral("gadgets/Thing.cpp"), "#include \"base/Log.h\"\n");

    EXPECT_EQ(layerViolations(root.path()),
              (QStringList{QStringLiteral("config/Ini.cpp:3: config -> #include \"storage/Db.h\""),
                           QStringLiteral("gadgets/Thing.cpp: folder gadgets has no layer"),
                           QStringLiteral("graph/ui/Form.cpp:2: graph -> # include \"desktop/Tray.h\"")}));
}

} // namespace
