#include "config/LanguageKeys.h"
#include "config/TSprache.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QStringDecoder>
#include <gtest/gtest.h>

namespace {

QString qs(const char* text) { return QString::fromUtf8(text); }

QByteArray shippedFile(const char* name)
{
    // Cleaned first: the test data folder need not exist for ".." to lead out of it.
    QFile f(QDir::cleanPath(QStringLiteral(NETZPEGEL_TEST_DATA "/../../data/") + qs(name)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class LanguageFile : public ::testing::TestWithParam<const char*>
{
};

} // namespace

TEST_P(LanguageFile, HoldsEveryKeyTheLoaderReads)
{
    const QByteArray data = shippedFile(GetParam());
    ASSERT_FALSE(data.isEmpty()) << GetParam();
    TempHome home;
    home.write(qs(GetParam()), data);
    TSprache s;
    ASSERT_TRUE(s.Laden(qs(GetParam())));

    for (const LanguageKey& k : languageKeys())
        EXPECT_FALSE(s.text(qs(k.section), qs(k.key)).trimmed().isEmpty())
            << GetParam() << ": [" << k.section << "] " << k.key;
    ASSERT_EQ(s.units1000().size(), 9);
    ASSERT_EQ(s.units1024().size(), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_FALSE(s.units1000().at(i).isEmpty()) << i;
        EXPECT_FALSE(s.units1024().at(i).isEmpty()) << i;
    }
    // Both bases must be told apart by their names.
    EXPECT_NE(s.units1000().at(1), s.units1024().at(1));
}

TEST_P(LanguageFile, TextsFollowedDirectlyByDetailsEndInABlank)
{
    TempHome home;
    home.write(qs(GetParam()), shippedFile(GetParam()));
    TSprache s;
    ASSERT_TRUE(s.Laden(qs(GetParam())));
    // Each is joined to an adapter id, a connection name or a failure message
    // without a separator of its own.
    for (const char* key : {"Error10", "Error11", "Error16", "Error19"})
        EXPECT_TRUE(s.error(qs(key)).endsWith(QLatin1Char(' '))) << GetParam() << " " << key;
}

TEST_P(LanguageFile, IsUtf8WithEverySectionAndKeyOnce)
{
    const QByteArray data = shippedFile(GetParam());
    ASSERT_FALSE(data.isEmpty());
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(data);
    EXPECT_FALSE(utf8.hasError()) << GetParam();

    // A repeated section or key would be shadowed by its first occurrence.
    QSet<QString> sections;
    QSet<QString> keys;
    QString section;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            section = line.toLower();
            EXPECT_FALSE(sections.contains(section)) << GetParam() << ": " << line.toStdString();
            sections.insert(section);
            continue;
        }
        const QString key = section + QLatin1Char('/') + line.section(QLatin1Char('='), 0, 0).trimmed().toLower();
        EXPECT_FALSE(keys.contains(key)) << GetParam() << ": " << key.toStdString();
        keys.insert(key);
    }
}

INSTANTIATE_TEST_SUITE_P(Shipped, LanguageFile, ::testing::Values("deutsch.lan", "english.lan"));
