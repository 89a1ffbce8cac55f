#include "desktop/Shortcut.h"

#include "desktop/AutostartFolder.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

// Values of a desktop entry are one line: line breaks and backslashes escaped.
QString entryValue(const QString& text)
{
    QString v = text;
    v.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    v.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    v.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    v.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    return v;
}

} // namespace

QString desktopExecArgument(const QString& text)
{
    // A literal percent sign is doubled in any case: "%f" and the like are field codes.
    QString t = text;
    t.replace(QLatin1Char('%'), QStringLiteral("%%"));
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+,:@=%-]+$"));
    if (plain.match(t).hasMatch())
        return entryValue(t);
    QString quoted;
    for (const QChar c : t) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    // The value's own escaping doubles the backslashes again.
    return entryValue(QLatin1Char('"') + quoted + QLatin1Char('"'));
}

QByteArray desktopEntryText(const TShortcutCfg& cfg)
{
    QString exec = desktopExecArgument(cfg.target);
    if (!cfg.arguments.isEmpty())
        exec += QLatin1Char(' ') + entryValue(cfg.arguments);
    QString text = QStringLiteral("[Desktop Entry]\nType=Application\nVersion=1.0\n");
    // A valid entry needs a name, even where the file name is only ".desktop".
    const QString name = cfg.name.isEmpty() ? QFileInfo(cfg.target).completeBaseName() : cfg.name;
    text += QStringLiteral("Name=") + entryValue(name) + QLatin1Char('\n');
    text += QStringLiteral("Exec=") + exec + QLatin1Char('\n');
    if (!cfg.workingFolder.isEmpty())
        text += QStringLiteral("Path=") + entryValue(cfg.workingFolder) + QLatin1Char('\n');
    if (!cfg.iconFile.isEmpty())
        text += QStringLiteral("Icon=") + entryValue(cfg.iconFile) + QLatin1Char('\n');
    if (!cfg.description.isEmpty())
        text += QStringLiteral("Comment=") + entryValue(cfg.description) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n");
    return text.toUtf8();
}

bool autostartEntryEnabled(const QByteArray& text)
{
    bool inEntry = false;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!inEntry || eq < 0)
            continue;
        const QByteArray key = line.left(eq).trimmed();
        const QByteArray value = line.mid(eq + 1).trimmed().toLower();
        if ((key == "Hidden" && value == "true") || (key == "X-GNOME-Autostart-enabled" && value == "false"))
            return false;
    }
    return true;
}

QString shortcutFileName(const QString& name)
{
    return name + QStringLiteral(".desktop");
}

bool CreateShortcut(const TShortcutCfg& cfg, AutostartFolder& folder)
{
    if (cfg.target.isEmpty())
        return false;
    return folder.write(shortcutFileName(cfg.name), desktopEntryText(cfg));
}
