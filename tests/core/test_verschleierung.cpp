#include "config/IniFile.h"
#include "config/Settings.h"
#include "config/Verschleierung.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

namespace {

QByteArray bytes(const char* data, qsizetype size) { return QByteArray(data, size); }

QByteArray allByteValues()
{
    QByteArray all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    return all;
}

bool iniTrims(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n'; }

} // namespace

TEST(VerschleierungTest, ShiftsLikeTheWorkedExample)
{
    EXPECT_EQ(Verschleiern("abc"), "VUc");
    EXPECT_EQ(Entschleiern("VUc"), "abc");
}

TEST(VerschleierungTest, TextsOfLengthZeroAndOneStayAsTheyAre)
{
    for (const QByteArray& t : {QByteArray(), QByteArray("a"), QByteArray("\xff"), bytes("\0", 1)}) {
        EXPECT_EQ(Verschleiern(t), t);
        EXPECT_EQ(Entschleiern(t), t);
    }
}

TEST(VerschleierungTest, StepRunsUpToThirteenAndStartsAgain)
{
    // Shift of each of 30 positions: odd positions k - 12, even ones -k - 12, with
    // k = 1..13 for the pairs, then 1 again at positions 27/28 and 2 at 29; the last stays.
    const int delta[30] = {-11, -13, -10, -14, -9, -15, -8, -16, -7, -17, -6, -18, -5, -19, -4,
                           -20, -3,  -21, -2,  -22, -1, -23, 0,  -24, 1,  -25, -11, -13, -10, 0};
    for (const QByteArray& clear : {QByteArray("abcdefghijklmnopqrstuvwxyzABCD"), QByteArray(30, '\xff'),
                                    QByteArray(30, '\0')}) {
        ASSERT_EQ(clear.size(), 30);
        const QByteArray scrambled = Verschleiern(clear);
        ASSERT_EQ(scrambled.size(), 30);
        for (int p = 0; p < 30; ++p)
            EXPECT_EQ(static_cast<unsigned char>(scrambled[p]),
                      (static_cast<unsigned char>(clear[p]) + delta[p] + 256) % 256)
                << "position " << p + 1;
        EXPECT_EQ(Entschleiern(scrambled), clear);
    }
}

TEST(VerschleierungTest, UnscramblingRestoresEveryText)
{
    const QByteArray cases[] = {
        "geheim",
        "p\xc3\xa4ssw\xc3\xb6rd\xe2\x82\xac",   // UTF-8 above 127
        allByteValues(),
        QByteArray(100, 'z'),
        bytes("\x0b\x0dz", 3),                  // scrambles to two zero bytes
    };
    for (const QByteArray& t : cases) {
        EXPECT_EQ(Entschleiern(Verschleiern(t)), t) << t.toHex().constData();
        EXPECT_EQ(Verschleiern(Entschleiern(t)), t) << t.toHex().constData();
    }
    EXPECT_EQ(Verschleiern(bytes("\x0b\x0dz", 3)), bytes("\0\0z", 3));
}

TEST(VerschleierungTest, IniFormKeepsHoldableValuesAndMarksTheRest)
{
    // Scrambled forms an ini line can hold are stored as they are.
    for (const QByteArray& v : {QByteArray(), QByteArray("VUc"), QByteArray("\xe4\xfc\x01\x7f"),
                                QByteArray("a=b;[c] d"), QByteArray("{he}x"), QByteArray("{HEX}41")}) {
        EXPECT_EQ(encodeIniBytes(v), v);
        EXPECT_EQ(decodeIniBytes(v), v);
    }
    // The others get a form without line breaks, zero bytes or blanks at either end.
    const QByteArray hard[] = {
        "a\nb", "a\rb", bytes("a\0b", 3), " lead", "trail ", "\ttab", "tab\t", "\vv", "f\f",
        "x\n[Fenster]\nVisible=0", "{hex}", "{hex}41", allByteValues(),
    };
    for (const QByteArray& v : hard) {
        const QByteArray stored = encodeIniBytes(v);
        EXPECT_FALSE(stored.contains('\n') || stored.contains('\r') || stored.contains('\0'));
        EXPECT_FALSE(iniTrims(stored.front()) || iniTrims(stored.back()));
        EXPECT_EQ(decodeIniBytes(stored), v) << v.toHex().constData();
    }
    // Only what the marked form can be: a damaged one is taken as it stands.
    const QByteArray damaged = encodeIniBytes("a\nb").chopped(1);
    EXPECT_EQ(decodeIniBytes(damaged), damaged);
}

TEST(VerschleierungTest, AnyScrambledValueSurvivesTheIniFile)
{
    TempHome home;
    const QByteArray values[] = {
        "VUc", "a\nb", bytes("\0\0z", 3), " lead", "trail\t", "x\n[Fenster]\nVisible=0", "{hex}41", allByteValues(),
    };
    for (const QByteArray& v : values) {
        IniWriteBytes("Allgemein", "ProxyPassword", encodeIniBytes(v));
        EXPECT_EQ(decodeIniBytes(IniReadBytes("Allgemein", "ProxyPassword")), v) << v.toHex().constData();
        EXPECT_EQ(home.read("netzpegel.ini").count('\n'), 2) << "one header and one entry, nothing injected";
        EXPECT_TRUE(IniReadBool("Fenster", "Visible", true));
    }
}

TEST(VerschleierungTest, ProxyPasswordsSurviveTheSettingsFile)
{
    TempHome home;
    const QString passwords[] = {
        QString(),
        QStringLiteral("x"),
        QStringLiteral("geheim"),
        QStringLiteral("pässwörd€"),
        QStringLiteral("abcdefghijklmnopqrstu!x"),   // '!' at 22 scrambles to a line feed
        QStringLiteral("abcdefghijklmnopqrstuvw%y"), // '%' at 24 to a carriage return
        QStringLiteral("+abc"),                      // '+' first scrambles to a blank
        QStringLiteral("endet mit blank "),
        QStringLiteral("endet mit tab\t"),
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"),
    };
    for (const QString& password : passwords) {
        Einstellungen saved;
        saved.proxyServer = QStringLiteral("proxy.example");
        saved.proxyPassword = password;
        ASSERT_TRUE(ProxySpeichern(saved));
        Einstellungen loaded;
        ASSERT_TRUE(EinstellungenLaden(loaded));
        EXPECT_EQ(loaded.proxyPassword, password);
        EXPECT_EQ(loaded.proxyServer, saved.proxyServer);

        // A value the line can hold is there byte for byte as the scrambler gives it.
        const QByteArray scrambled = Verschleiern(password.toUtf8());
        if (encodeIniBytes(scrambled) == scrambled) {
            EXPECT_TRUE(home.read("netzpegel.ini").contains("\nProxyPassword=" + scrambled + "\n"));
        }
    }
    // The test texts do reach the hard cases.
    EXPECT_TRUE(Verschleiern(QByteArray("abcdefghijklmnopqrstu!x")).contains('\n'));
    EXPECT_TRUE(Verschleiern(QByteArray("abcdefghijklmnopqrstuvw%y")).contains('\r'));
    EXPECT_TRUE(Verschleiern(QByteArray("+abc")).startsWith(' '));
}
