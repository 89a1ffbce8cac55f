#include "config/Verschleierung.h"

namespace {

// `sign` +1 scrambles, -1 unscrambles. The last byte is never touched.
QByteArray shift(const QByteArray& text, int sign)
{
    QByteArray out = text;
    int k = 1;
    for (qsizetype p = 1; p < out.size(); ++p) {
        const int c = static_cast<unsigned char>(out[p - 1]);
        const int step = (p % 2 == 1) ? k - 12 : -k - 12;
        out[p - 1] = static_cast<char>((c + sign * step) & 0xFF);
        if (p % 2 == 0)
            k = k <= 12 ? k + 1 : 1;
    }
    return out;
}

// Not a prefix the scrambler is likely to give; a value that starts with it anyway is marked too.
const QByteArray kMarker("{hex}");

bool isIniBlank(char c)
{
    // What the ini reader trims from both ends of a value.
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

bool fitsOnIniLine(const QByteArray& value)
{
    if (value.isEmpty())
        return true;
    if (value.contains('\r') || value.contains('\n') || value.contains('\0'))
        return false;
    if (isIniBlank(value.front()) || isIniBlank(value.back()))
        return false;
    return !value.startsWith(kMarker);
}

} // namespace

QByteArray Verschleiern(const QByteArray& text) { return shift(text, +1); }

QByteArray Entschleiern(const QByteArray& text) { return shift(text, -1); }

QByteArray encodeIniBytes(const QByteArray& value)
{
    if (fitsOnIniLine(value))
        return value;
    return kMarker + value.toHex();
}

QByteArray decodeIniBytes(const QByteArray& stored)
{
    if (!stored.startsWith(kMarker))
        return stored;
    const QByteArray hex = stored.mid(kMarker.size());
    const auto decoded = QByteArray::fromHex(hex);
    // encodeIniBytes never writes anything else after the marker; a hand-edited
    // value that is not clean hex is taken as it stands rather than half decoded.
    if (hex.size() % 2 != 0 || decoded.toHex() != hex.toLower())
        return stored;
    return decoded;
}
