#include "config/IniDocument.h"

namespace {

bool sameName(const QByteArray& a, const QByteArray& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

} // namespace

IniDocument IniDocument::parse(const QByteArray& data)
{
    IniDocument doc;
    QByteArray body = data;
    // Editors that add a byte order mark would otherwise hide the first section header.
    if (body.startsWith(kUtf8Bom)) {
        doc.m_bom = kUtf8Bom;
        body.remove(0, kUtf8Bom.size());
    }
    if (body.contains("\r\n"))
        doc.m_eol = "\r\n";
    QList<QByteArray> raw = body.split('\n');
    const bool lastHasBreak = !raw.isEmpty() && raw.last().isEmpty();
    if (lastHasBreak)
        raw.removeLast(); // the final line break ends a line, it does not start one
    for (qsizetype n = 0; n < raw.size(); ++n) {
        QByteArray text = raw[n];
        QByteArray eol = (n + 1 < raw.size() || lastHasBreak) ? QByteArray("\n") : QByteArray();
        if (!eol.isEmpty() && text.endsWith('\r')) {
            text.chop(1);
            eol = "\r\n";
        }
        Line line{text, eol, {}, {}, {}};
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
    QByteArray out = m_bom;
    for (const Line& line : m_lines)
        out += line.text + line.eol;
    return out;
}

QList<QByteArray> IniDocument::sections() const
{
    QList<QByteArray> names;
    for (const Line& line : m_lines)
        if (!line.section.isEmpty())
            names << line.section;
    return names;
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
    Line line{wanted + '=' + value, m_eol, {}, wanted, value};
    qsizetype start = findSection(section);
    if (start < 0) {
        // A last line without a break must get one before anything follows it.
        if (!m_lines.isEmpty() && m_lines.last().eol.isEmpty())
            m_lines.last().eol = m_eol;
        if (!m_lines.isEmpty() && !m_lines.last().text.trimmed().isEmpty())
            m_lines.append(Line{{}, m_eol, {}, {}, {}});
        const QByteArray name = section.trimmed();
        m_lines.append(Line{'[' + name + ']', m_eol, name, {}, {}});
        m_lines.append(line);
        return;
    }
    qsizetype insertAt = start + 1;
    for (qsizetype i = start + 1; i < m_lines.size() && m_lines[i].section.isEmpty(); ++i) {
        if (!m_lines[i].key.isEmpty() && sameName(m_lines[i].key, wanted)) {
            // The key keeps its spelling and the line its break.
            line.key = m_lines[i].key;
            line.text = line.key + '=' + value;
            line.eol = m_lines[i].eol;
            m_lines[i] = line;
            return;
        }
        // After the last entry; a comment ahead of the next header stays with that header.
        const QByteArray trimmed = m_lines[i].text.trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(';'))
            insertAt = i + 1;
    }
    if (m_lines[insertAt - 1].eol.isEmpty()) {
        m_lines[insertAt - 1].eol = m_eol;
        line.eol.clear(); // it is now the last line, and the file kept its missing last break
    }
    m_lines.insert(insertAt, line);
}
