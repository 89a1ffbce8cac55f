#include "config/DetailText.h"

#include "config/TSprache.h"

QString fillDetail(const QString& pattern, const QStringList& args)
{
    QString out;
    out.reserve(pattern.size());
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('%') && i + 1 < pattern.size() && pattern[i + 1] >= QLatin1Char('1')
            && pattern[i + 1] <= QLatin1Char('9')) {
            const qsizetype n = pattern[i + 1].unicode() - '1';
            if (n < args.size()) {
                out += args[n];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString DetailText::in(const TSprache& sprache) const
{
    const QString pattern = key.isEmpty() ? QString() : sprache.text(QStringLiteral("Details"), key);
    if (pattern.isEmpty())
        return english;
    return fillDetail(pattern, args);
}

DetailError::DetailError(const DetailText& detail)
    : std::runtime_error(detail.english.toStdString())
    , m_detail(detail)
{
}
