#include "config/IniFile.h"

#include "base/FileReplace.h"
#include "config/IniDocument.h"
#include "base/ProgramFolder.h"

#include <QFile>
#include <QLocale>

#include <cctype>
#include <limits>

namespace {

constexpr qsizetype kMaxStringRead = 2047;

IniDocument load(const QString& path)
{
    QFile f(settingsFileOr(path));
    if (!f.exists())
        return {};
    if (!f.open(QIODevice::ReadOnly))
        throw IniError(QStringLiteral("%1: %2").arg(f.fileName(), f.errorString()).toStdString());
    const QByteArray data = f.readAll();
    // Half a file read must not be written back as the whole file.
    if (f.error() != QFileDevice::NoError)
        throw IniError(QStringLiteral("%1: %2").arg(f.fileName(), f.errorString()).toStdString());
    return IniDocument::parse(data);
}

std::optional<QByteArray> read(const QString& section, const QString& key, const QString& path)
{
    return load(path).value(section.toUtf8(), key.toUtf8());
}

void write(const QString& section, const QList<QPair<QString, QByteArray>>& values, const QString& path)
{
    IniDocument doc = load(path);
    for (const auto& [key, value] : values) {
        // A line break in a value would end the line and smuggle in keys or sections.
        if (value.contains('\n') || value.contains('\r') || value.contains('\0'))
            throw IniError(
                QStringLiteral("[%1] %2: the value does not fit on one line").arg(section, key).toStdString());
        doc.setValue(section.toUtf8(), key.toUtf8(), value);
    }
    // Written beside and renamed over, so a crash or a full disk never leaves half a
    // file; a read-only folder with a writable file still saves.
    QString error;
    if (!replaceFile(settingsFileOr(path), doc.serialize(), true, &error))
        throw IniError(QStringLiteral("%1: %2").arg(settingsFileOr(path), error).toStdString());
}

void write(const QString& section, const QString& key, const QByteArray& value, const QString& path)
{
    write(section, {{key, value}}, path);
}

} // namespace

void IniWriteStrings(const QString& section, const QList<QPair<QString, QString>>& values, const QString& path)
{
    QList<QPair<QString, QByteArray>> bytes;
    for (const auto& [key, value] : values)
        bytes.append({key, value.toUtf8()});
    write(section, bytes, path);
}

QStringList IniReadSections(const QString& path)
{
    QStringList names;
    for (const QByteArray& name : load(path).sections())
        names << QString::fromUtf8(name);
    return names;
}

bool parseIniInteger(const QByteArray& text, int& out)
{
    QByteArray t = text.trimmed();
    bool negative = false;
    if (t.startsWith('-') || t.startsWith('+')) {
        negative = t.startsWith('-');
        t = t.mid(1);
    }
    bool ok = false;
    qlonglong value = 0;
    if (t.startsWith("0x") || t.startsWith("0X")) {
        if (t.size() > 2 && std::isxdigit(static_cast<unsigned char>(t[2])))
            value = t.mid(2).toLongLong(&ok, 16);
    }
    else if (!t.isEmpty() && std::isdigit(static_cast<unsigned char>(t[0])))
        value = t.toLongLong(&ok, 10);
    if (!ok)
        return false;
    value = negative ? -value : value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return false;
    out = static_cast<int>(value);
    return true;
}

QString IniReadString(const QString& section, const QString& key, const QString& path)
{
    return QString::fromUtf8(IniReadBytes(section, key, path)).left(kMaxStringRead);
}

QByteArray IniReadBytes(const QString& section, const QString& key, const QString& path)
{
    return read(section, key, path).value_or(QByteArray());
}

int IniReadInteger(const QString& section, const QString& key, int def, const QString& path)
{
    const auto text = read(section, key, path);
    int value = def;
    return text && parseIniInteger(*text, value) ? value : def;
}

bool IniReadBool(const QString& section, const QString& key, bool def, const QString& path)
{
    return IniReadInteger(section, key, def ? 1 : 0, path) != 0;
}

double IniReadFloat(const QString& section, const QString& key, double def, const QString& path)
{
    const auto text = read(section, key, path);
    if (!text)
        return def;
    QLocale locale;
    // Only what IniWriteFloat writes: "45.125" must not become 45125 under a comma locale.
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(QString::fromUtf8(*text), &ok);
    return ok ? value : def;
}

void IniWriteString(const QString& section, const QString& key, const QString& value, const QString& path)
{
    write(section, key, value.toUtf8(), path);
}

void IniWriteBytes(const QString& section, const QString& key, const QByteArray& value, const QString& path)
{
    write(section, key, value, path);
}

void IniWriteInteger(const QString& section, const QString& key, int value, const QString& path)
{
    write(section, key, QByteArray::number(value), path);
}

void IniWriteBool(const QString& section, const QString& key, bool value, const QString& path)
{
    write(section, key, value ? "1" : "0", path);
}

void IniWriteFloat(const QString& section, const QString& key, double value, const QString& path)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    // The shortest text that reads back as the same double.
    write(section, key, locale.toString(value, 'g', QLocale::FloatingPointShortest).toUtf8(), path);
}
