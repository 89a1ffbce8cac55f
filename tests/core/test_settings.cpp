#include "config/IniFile.h"
#include "config/Settings.h"
#include "support/TempHome.h"

#include <QDir>
#include <QLocale>
#include <gtest/gtest.h>

namespace {

// Every member away from its default, so a routine that skips a key shows.
Einstellungen changedEinstellungen()
{
    Einstellungen e;
    e.umrechnung = true;
    e.dfuEngine = false;
    e.nicEngineIntervall = 5;
    e.nicEngineIntervallTimer = 5;
    e.basisprio = 4;
    e.doppeltertraffic = false;
    e.sprachdateiname = QStringLiteral("english.lan");
    e.autoUpdate = 3;
    e.proxyServer = QStringLiteral("proxy.example");
    e.proxyPort = 3128;
    e.proxyAuthenticate = QStringLiteral("jörg");
    e.proxyPassword = QStringLiteral("geheim€");
    e.nicEngine = false;
    e.cacheIntervalText = QStringLiteral("10");
    e.cacheInterval = 10;
    e.left = -40;
    e.top = 300;
    e.visible = false;
    e.sonderModus = true;
    e.hilfedatei = QStringLiteral("Help");
    e.lastupdate = 45123.75;
    e.zentrale = QStringLiteral("host=db.example port=5433 dbname=netzpegel user='jörg' sslmode=require");
    return e;
}

Berichte changedBerichte()
{
    Berichte b;
    b.autoBericht = true;
    b.dayOfAutoBericht = QStringLiteral("15");
    b.comboBoxIndex = 3;
    b.tagesbericht = false;
    b.monatsbericht = false;
    b.jahresbericht = false;
    b.pfad = QStringLiteral("/home/jörg/bericht.html");
    b.eigenerbericht = true;
    b.eigenerberichtVon = QStringLiteral("01.01.2024");
    b.eigenerberichtBis = QStringLiteral("31.01.2024");
    return b;
}

void expectEinstellungen(const Einstellungen& a, const Einstellungen& b)
{
    EXPECT_EQ(a.umrechnung, b.umrechnung);
    EXPECT_EQ(a.dfuEngine, b.dfuEngine);
    EXPECT_EQ(a.nicEngineIntervall, b.nicEngineIntervall);
    EXPECT_EQ(a.nicEngineIntervallTimer, b.nicEngineIntervallTimer);
    EXPECT_EQ(a.basisprio, b.basisprio);
    EXPECT_EQ(a.doppeltertraffic, b.doppeltertraffic);
    EXPECT_EQ(a.sprachdateiname, b.sprachdateiname);
    EXPECT_EQ(a.autoUpdate, b.autoUpdate);
    EXPECT_EQ(a.proxyServer, b.proxyServer);
    EXPECT_EQ(a.proxyPort, b.proxyPort);
    EXPECT_EQ(a.proxyAuthenticate, b.proxyAuthenticate);
    EXPECT_EQ(a.proxyPassword, b.proxyPassword);
    EXPECT_EQ(a.nicEngine, b.nicEngine);
    EXPECT_EQ(a.cacheIntervalText, b.cacheIntervalText);
    EXPECT_EQ(a.cacheInterval, b.cacheInterval);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.top, b.top);
    EXPECT_EQ(a.visible, b.visible);
    EXPECT_EQ(a.sonderModus, b.sonderModus);
    EXPECT_EQ(a.hilfedatei, b.hilfedatei);
    EXPECT_EQ(a.zentrale, b.zentrale);
}

void expectBerichte(const Berichte& a, const Berichte& b)
{
    EXPECT_EQ(a.autoBericht, b.autoBericht);
    EXPECT_EQ(a.dayOfAutoBericht, b.dayOfAutoBericht);
    EXPECT_EQ(a.comboBoxIndex, b.comboBoxIndex);
    EXPECT_EQ(a.tagesbericht, b.tagesbericht);
    EXPECT_EQ(a.monatsbericht, b.monatsbericht);
    EXPECT_EQ(a.jahresbericht, b.jahresbericht);
    EXPECT_EQ(a.pfad, b.pfad);
    EXPECT_EQ(a.eigenerbericht, b.eigenerbericht);
    EXPECT_EQ(a.eigenerberichtVon, b.eigenerberichtVon);
    EXPECT_EQ(a.eigenerberichtBis, b.eigenerberichtBis);
}

// "section/key" of every entry line, in file order.
QStringList keysInOrder(const QByteArray& file)
{
    QStringList keys;
    QString section;
    for (const QByteArray& line : file.split('\n')) {
        const QByteArray t = line.trimmed();
        if (t.startsWith('['))
            section = QString::fromUtf8(t.mid(1, t.size() - 2));
        else if (t.contains('='))
            keys << section + '/' + QString::fromUtf8(t.left(t.indexOf('=')));
    }
    return keys;
}

class SettingsTest : public ::testing::Test
{
protected:
    // Hand-written floats below use a point; the locale test pins its own.
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(m_previous); }

    TempHome home;

private:
    QLocale m_previous;
};

} // namespace

TEST_F(SettingsTest, WithoutAnyFileEveryValueIsItsDefault)
{
    Einstellungen e = changedEinstellungen();
    Berichte b = changedBerichte();
    ASSERT_TRUE(EinstellungenLaden(e));
    ASSERT_TRUE(BerichteLaden(b));

    EXPECT_FALSE(e.umrechnung) << "base 1024";
    EXPECT_TRUE(e.dfuEngine);
    EXPECT_TRUE(e.nicEngine);
    EXPECT_EQ(e.nicEngineIntervall, 1);
    EXPECT_EQ(e.nicEngineIntervallTimer, 1);
    EXPECT_EQ(e.basisprio, 2);
    EXPECT_TRUE(e.doppeltertraffic);
    EXPECT_EQ(e.sprachdateiname, "deutsch.lan");
    EXPECT_EQ(e.autoUpdate, 0);
    EXPECT_EQ(e.proxyServer, QString());
    EXPECT_EQ(e.proxyPort, 0);
    EXPECT_EQ(e.proxyAuthenticate, QString());
    EXPECT_EQ(e.proxyPassword, QString());
    EXPECT_EQ(e.cacheIntervalText, QString());
    EXPECT_EQ(e.cacheInterval, 0);
    EXPECT_EQ(e.left, 0);
    EXPECT_EQ(e.top, 0);
    EXPECT_TRUE(e.visible);
    EXPECT_FALSE(e.sonderModus);
    EXPECT_EQ(e.hilfedatei, "Hilfe");

    EXPECT_FALSE(b.autoBericht);
    EXPECT_EQ(b.dayOfAutoBericht, QString());
    EXPECT_EQ(b.comboBoxIndex, 1);
    EXPECT_TRUE(b.tagesbericht);
    EXPECT_TRUE(b.monatsbericht);
    EXPECT_TRUE(b.jahresbericht);
    EXPECT_EQ(b.pfad, QString());
    EXPECT_FALSE(b.eigenerbericht);
    EXPECT_EQ(b.eigenerberichtVon, QString());
    EXPECT_EQ(b.eigenerberichtBis, QString());

    EXPECT_EQ(LastupdateLaden(), 0.0);
    EXPECT_TRUE(QDir(home.folder()).entryList(QDir::Files).isEmpty()) << "loading writes nothing";
}

TEST_F(SettingsTest, ReadsTheKeysOfAHandWrittenFile)
{
    home.write("netzpegel.ini", "[Allgemein]\n"
                                "Umrechnung=1\ndfu_engine=0\nnicengineintervall=5\nbasisprio=4\n"
                                "doppeltertraffic=0\nSprachdateiname=english.lan\nAutoUpdate=3\n"
                                "ProxyServer=proxy.example\nProxyPort=3128\nProxyAuthenticate=jörg\n"
                                "nic_engine=0\nCacheInterval=10\nHilfedatei=Help\nLastupdate=45123.75\n"
                                "Zentrale=host=db.example port=5433 dbname=netzpegel user='jörg' sslmode=require\n"
                                "[Fenster]\nLeft=-40\nTop=300\nVisible=0\n"
                                "[Berichte]\nAutoBericht=1\nDayOfAutoBericht=15\nComboBoxIndex=3\n"
                                "Tagesbericht=0\nMonatsbericht=0\nJahresbericht=0\n"
                                "Pfad=/home/jörg/bericht.html\nEigenerbericht=1\n"
                                "Eigenerbericht_von=01.01.2024\nEigenerbericht_bis=31.01.2024\n");
    home.write("variables.conf", "[Variablen]\nSonderModus=1\n");
    Einstellungen e;
    Berichte b;
    e.lastupdate = 7;
    ASSERT_TRUE(EinstellungenLaden(e));
    ASSERT_TRUE(BerichteLaden(b));

    Einstellungen expected = changedEinstellungen();
    expected.proxyPassword.clear(); // not in this file
    expectEinstellungen(e, expected);
    expectBerichte(b, changedBerichte());
    EXPECT_EQ(e.lastupdate, 7) << "Lastupdate is read on its own";
    EXPECT_EQ(LastupdateLaden(), 45123.75);
}

TEST_F(SettingsTest, EveryKeySurvivesSaveAndLoad)
{
    const Einstellungen saved = changedEinstellungen();
    const Berichte savedB = changedBerichte();
    home.write("variables.conf", "[Variablen]\nSonderModus=1\n");
    ASSERT_TRUE(EinstellungenSpeichern(saved));
    ASSERT_TRUE(FensterSpeichern(saved, true));
    ASSERT_TRUE(BerichteSpeichern(savedB));

    Einstellungen e;
    Berichte b;
    ASSERT_TRUE(EinstellungenLaden(e));
    ASSERT_TRUE(BerichteLaden(b));
    expectEinstellungen(e, saved);
    expectBerichte(b, savedB);
    EXPECT_EQ(LastupdateLaden(), saved.lastupdate);
    EXPECT_FALSE(home.read("netzpegel.ini").contains("geheim")) << "the password is stored scrambled";
}

TEST_F(SettingsTest, SavesWriteTheirKeysUnderTheirNamesInOrder)
{
    const Einstellungen e = changedEinstellungen();
    ASSERT_TRUE(EinstellungenSpeichern(e));
    EXPECT_EQ(keysInOrder(home.read("netzpegel.ini")),
              QStringList({"Allgemein/Umrechnung", "Allgemein/dfu_engine", "Allgemein/nicengineintervall",
                           "Allgemein/basisprio", "Allgemein/doppeltertraffic", "Allgemein/Sprachdateiname",
                           "Allgemein/AutoUpdate", "Allgemein/nic_engine", "Allgemein/CacheInterval",
                           "Allgemein/Hilfedatei", "Allgemein/Zentrale", "Allgemein/ProxyServer", "Allgemein/ProxyPort",
                           "Allgemein/ProxyAuthenticate", "Allgemein/ProxyPassword", "Fenster/Left",
                           "Fenster/Top", "Fenster/Visible"}));

    QFile::remove(home.file("netzpegel.ini"));
    ASSERT_TRUE(FensterSpeichern(e, false));
    EXPECT_EQ(keysInOrder(home.read("netzpegel.ini")),
              QStringList({"Fenster/Left", "Fenster/Top", "Fenster/Visible", "Allgemein/Lastupdate",
                           "Allgemein/Hilfedatei"}));
    ASSERT_TRUE(FensterSpeichern(e, true));
    EXPECT_TRUE(keysInOrder(home.read("netzpegel.ini")).contains("Allgemein/Sprachdateiname"));

    QFile::remove(home.file("netzpegel.ini"));
    ASSERT_TRUE(BerichteSpeichern(changedBerichte()));
    EXPECT_EQ(keysInOrder(home.read("netzpegel.ini")),
              QStringList({"Berichte/AutoBericht", "Berichte/DayOfAutoBericht", "Berichte/ComboBoxIndex",
                           "Berichte/Tagesbericht", "Berichte/Monatsbericht", "Berichte/Jahresbericht",
                           "Berichte/Pfad", "Berichte/Eigenerbericht", "Berichte/Eigenerbericht_von",
                           "Berichte/Eigenerbericht_bis"}));
}

TEST_F(SettingsTest, EmptyLanguageAndHelpNamesFallBack)
{
    home.write("netzpegel.ini", "[Allgemein]\nSprachdateiname=\nHilfedatei=   \n");
    Einstellungen e = changedEinstellungen();
    ASSERT_TRUE(EinstellungenLaden(e));
    EXPECT_EQ(e.sprachdateiname, "deutsch.lan");
    EXPECT_EQ(e.hilfedatei, "Hilfe");
}

TEST_F(SettingsTest, SonderModusComesFromTheVariablesFileOnly)
{
    home.write("netzpegel.ini", "[Allgemein]\nSonderModus=1\n[Variablen]\nSonderModus=1\n");
    Einstellungen e;
    ASSERT_TRUE(EinstellungenLaden(e));
    EXPECT_FALSE(e.sonderModus);

    home.write("variables.conf", "[Variablen]\nSonderModus=1\n");
    ASSERT_TRUE(EinstellungenLaden(e));
    EXPECT_TRUE(e.sonderModus);

    // An explicit variables file wins over the program folder's.
    home.write("andere.conf", "[variablen]\nsondermodus=0\n");
    ASSERT_TRUE(EinstellungenLaden(e, {}, home.file("andere.conf")));
    EXPECT_FALSE(e.sonderModus);
}

TEST_F(SettingsTest, LastupdateFollowsTheLocale)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Einstellungen e;
    e.lastupdate = 45123.5;
    ASSERT_TRUE(FensterSpeichern(e, false));
    EXPECT_TRUE(home.read("netzpegel.ini").contains("Lastupdate=45123,5\n"));
    EXPECT_EQ(LastupdateLaden(), 45123.5);
}

TEST_F(SettingsTest, UnusableSettingsFileMakesEveryRoutineFail)
{
    ASSERT_TRUE(QDir().mkpath(home.file("netzpegel.ini")));
    const Einstellungen e = changedEinstellungen();
    Einstellungen loaded = e;
    Berichte b;
    EXPECT_FALSE(EinstellungenLaden(loaded));
    EXPECT_FALSE(BerichteLaden(b));
    EXPECT_FALSE(EinstellungenSpeichern(e));
    EXPECT_FALSE(ProxySpeichern(e));
    EXPECT_FALSE(FensterSpeichern(e, true));
    EXPECT_FALSE(BerichteSpeichern(changedBerichte()));
    EXPECT_EQ(LastupdateLaden(), 0.0);
    EXPECT_EQ(loaded.umrechnung, e.umrechnung) << "nothing is changed before the failing key";
}

TEST_F(SettingsTest, LoadingStopsAtTheFailingKey)
{
    home.write("netzpegel.ini", "[Allgemein]\nbasisprio=3\nHilfedatei=Help2\n[Fenster]\nVisible=0\n");
    ASSERT_TRUE(QDir().mkpath(home.file("variables.conf")));
    Einstellungen e;
    e.hilfedatei = QStringLiteral("vorher");
    EXPECT_FALSE(EinstellungenLaden(e));
    EXPECT_EQ(e.basisprio, 3) << "keys before SonderModus are read";
    EXPECT_FALSE(e.visible);
    EXPECT_EQ(e.hilfedatei, "vorher") << "Hilfedatei comes after SonderModus";
}

TEST_F(SettingsTest, ProxyPortThatIsNoNumberGivesTheDefault)
{
    home.write("netzpegel.ini", "[Allgemein]\nProxyPort=achtzig\nCacheInterval=abc\n");
    Einstellungen e = changedEinstellungen();
    ASSERT_TRUE(EinstellungenLaden(e));
    EXPECT_EQ(e.proxyPort, 0);
    EXPECT_EQ(e.cacheIntervalText, "abc");
    EXPECT_EQ(e.cacheInterval, 0);
}
