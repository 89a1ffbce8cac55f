#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <stdexcept>

// A settings file that exists but cannot be read, or cannot be written.
class IniError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Typed access to one ini value. Every call opens the file, reads or writes
// the single value and closes it again. An empty path means the settings file.
// A missing file or key yields the default; an unreadable or unwritable file
// throws IniError.
QString IniReadString(const QString& section, const QString& key, const QString& path = {});
int IniReadInteger(const QString& section, const QString& key, int def, const QString& path = {});
bool IniReadBool(const QString& section, const QString& key, bool def, const QString& path = {});
double IniReadFloat(const QString& section, const QString& key, double def, const QString& path = {});
void IniWriteString(const QString& section, const QString& key, const QString& value, const QString& path = {});
void IniWriteInteger(const QString& section, const QString& key, int value, const QString& path = {});
void IniWriteBool(const QString& section, const QString& key, bool value, const QString& path = {});
void IniWriteFloat(const QString& section, const QString& key, double value, const QString& path = {});

// Several values of one section, written in one go: all of them or, on failure, none.
void IniWriteStrings(const QString& section, const QList<QPair<QString, QString>>& values, const QString& path = {});
// The names of the file's sections; none for a missing file.
QStringList IniReadSections(const QString& path = {});
// The value's bytes as they stand, for texts that are not UTF-8 (scrambled passwords).
QByteArray IniReadBytes(const QString& section, const QString& key, const QString& path = {});
void IniWriteBytes(const QString& section, const QString& key, const QByteArray& value, const QString& path = {});

// Integer text as the profile reader takes it: optional sign, decimal, or hex after "0x".
bool parseIniInteger(const QByteArray& text, int& out);
