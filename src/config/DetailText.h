#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

class TSprache;

// Why something failed, for the user: a key of section "Details" of the
// language file and the values of its %1, %2 … The English text stands in
// where no language file is at hand (the command line, the log).
struct DetailText
{
    QString key;
    QStringList args;
    QString english;

    bool isEmpty() const { return key.isEmpty() && english.isEmpty(); }
    // The language text with its values, each put in once (a "%2" inside a
    // value stays as it is); the English text for a key the file lacks.
    QString in(const TSprache& sprache) const;
};

// English text with its values, put in as DetailText::in does.
QString fillDetail(const QString& pattern, const QStringList& args);

// A failure whose reason has a language text.
class DetailError : public std::runtime_error
{
public:
    explicit DetailError(const DetailText& detail);
    const DetailText& detail() const { return m_detail; }

private:
    DetailText m_detail;
};
