#pragma once

#include <QByteArray>

// Reversible shifting of the stored proxy password: keeps it from a casual
// reader of the settings file, nothing more. Works on bytes modulo 256.
QByteArray Verschleiern(const QByteArray& text);
QByteArray Entschleiern(const QByteArray& text);

// Ini form of a scrambled value: byte for byte when an ini line can hold it,
// else a marked hex text. decodeIniBytes undoes it.
QByteArray encodeIniBytes(const QByteArray& value);
QByteArray decodeIniBytes(const QByteArray& stored);
