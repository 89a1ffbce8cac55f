#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

// The lines of one ini file, matched like the platform's profile reader:
// sections and keys without regard to case, blanks around keys and values
// dropped, the first of two equal keys wins. Unknown lines are kept as they
// are, so writing one value leaves the rest of the file byte for byte.
class IniDocument
{
public:
    static IniDocument parse(const QByteArray& data);
    QByteArray serialize() const;

    std::optional<QByteArray> value(const QByteArray& section, const QByteArray& key) const;
    void setValue(const QByteArray& section, const QByteArray& key, const QByteArray& value);
    // The section names in file order.
    QList<QByteArray> sections() const;

private:
    struct Line
    {
        QByteArray text;     // the line as it stands, without its line break
        QByteArray eol;      // its own line break; empty on a last line without one
        QByteArray section;  // set on section header lines
        QByteArray key;      // set on key lines
        QByteArray value;
    };
    // Index of the header line of `section`, or -1.
    qsizetype findSection(const QByteArray& section) const;

    QList<Line> m_lines;
    QByteArray m_eol = "\n";  // for lines this class adds
    QByteArray m_bom;         // a UTF-8 byte order mark the file began with
};
