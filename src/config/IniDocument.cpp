#include "config/IniDocument.h"

namespace {

bool sameName(const QByteArray& a, const QByteArray& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniDocument IniDocument::parse(const QByteArray& data)
{
    IniDocument doc;
    if (data.contains("\r\n"))
        doc.m_eol = "\r\n";
    QList<QByteArray> raw = data.split('\n');
    if (!raw.isEmpty() && raw.last().isEmpty())
        raw.removeLast(); // the final line break ends a line, it does not start one
    for (QByteArray text : raw) {
        if (text.endsWith('\r'))
            text.chop(1);
        Line line{text, {}, {}, {}};
        const QByteArray trimmed = text.trimmed();
        if (trimmed.startsWith('[')) {
            const qsizetype close = trimmed.indexOf(']');
            line.section = trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed();
            if (line.section.isEmpty())
                line.section = " "; // an empty header still closes the previous section
        } else if (!trimmed.startsWith(';')) {
            const qsizetype eq = text.indexOf('=');
            if (eq > 0) {
                line.key = text.left(eq).trimmed();
                line.value = text.mid(eq + 1).trimmed();
            }
        }
        doc.m_lines.append(line);
    }
    return doc;
}

QByteArray IniDocument::serialize() const
{
    QByteArray out;
    for (const Line& line : m_lines)
        out += line.text + m_eol;
    return out;
}

qsizetype IniDocument::findSection(const QByteArray& section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        if (!m_lines[i].section.isEmpty() && sameName(m_lines[i].section, section.trimmed()))
            return i;
    return -1;
}

std::optional<QByteArray> IniDocument::value(const QByteArray& section, const QByteArray& key) const
{
    const qsizetype start = findSection(section);
    if (start < 0)
        return std::nullopt;
    const QByteArray wanted = key.trimmed();
    for (qsizetype i = start + 1; i < m_lines.size() && m_lines[i].section.isEmpty(); ++i)
        if (!m_lines[i].key.isEmpty() && sameName(m_lines[i].key, wanted))
            return m_lines[i].value;
    return std::nullopt;
}

void IniDocument::setValue(const QByteArray& section, const QByteArray& key, const QByteArray& value)
{
    const QByteArray wanted = key.trimmed();
    Line line{wanted + '=' + value, {}, wanted, value};
    qsizetype start = findSection(section);
    if (start < 0) {
        if (!m_lines.isEmpty() && !m_lines.last().text.trimmed().isEmpty())
            m_lines.append(Line{});
        m_lines.append(Line{'[' + section.trimmed() + ']', section.trimmed(), {}, {}});
        m_lines.append(line);
        return;
    }
    qsizetype insertAt = start + 1;
    for (qsizetype i = start + 1; i < m_lines.size() && m_lines[i].section.isEmpty(); ++i) {
        if (!m_lines[i].key.isEmpty() && sameName(m_lines[i].key, wanted)) {
            m_lines[i] = line;
            return;
        }
        if (!m_lines[i].text.trimmed().isEmpty())
            insertAt = i + 1;
    }
    m_lines.insert(insertAt, line);
}
