#include "config/Settings.h"

#include "config/IniFile.h"
#include "base/ProgramFolder.h"
#include "config/Verschleierung.h"

#include <exception>

namespace {

const QString kAllgemein = QStringLiteral("Allgemein");
const QString kFenster = QStringLiteral("Fenster");
const QString kBerichte = QStringLiteral("Berichte");
const QString kVariablen = QStringLiteral("Variablen");

// Runs the steps of one routine; the first failing step ends it.
template <typename Steps>
bool guarded(Steps steps)
{
    try {
        steps();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

bool EinstellungenLaden(Einstellungen& e, const QString& iniPath, const QString& variablesPath)
{
    const Einstellungen d;
    const QString& p = iniPath;
    const QString vars = variablesPath.isEmpty() ? variablesFilePath() : variablesPath;
    return guarded([&] {
        e.umrechnung = IniReadBool(kAllgemein, QStringLiteral("Umrechnung"), d.umrechnung, p);
        e.dfuEngine = IniReadBool(kAllgemein, QStringLiteral("dfu_engine"), d.dfuEngine, p);
        // Read twice, so that the timer takes the file's value, not the control's.
        e.nicEngineIntervall = IniReadInteger(kAllgemein, QStringLiteral("nicengineintervall"), d.nicEngineIntervall, p);
        e.nicEngineIntervallTimer =
            IniReadInteger(kAllgemein, QStringLiteral("nicengineintervall"), d.nicEngineIntervallTimer, p);
        e.basisprio = IniReadInteger(kAllgemein, QStringLiteral("basisprio"), d.basisprio, p);
        e.doppeltertraffic = IniReadBool(kAllgemein, QStringLiteral("doppeltertraffic"), d.doppeltertraffic, p);
        e.sprachdateiname = IniReadString(kAllgemein, QStringLiteral("Sprachdateiname"), p);
        if (e.sprachdateiname.isEmpty())
            e.sprachdateiname = d.sprachdateiname;
        e.autoUpdate = IniReadInteger(kAllgemein, QStringLiteral("AutoUpdate"), d.autoUpdate, p);
        e.proxyServer = IniReadString(kAllgemein, QStringLiteral("ProxyServer"), p);
        e.proxyPort = IniReadInteger(kAllgemein, QStringLiteral("ProxyPort"), d.proxyPort, p);
        e.proxyAuthenticate = IniReadString(kAllgemein, QStringLiteral("ProxyAuthenticate"), p);
        const QByteArray stored = IniReadBytes(kAllgemein, QStringLiteral("ProxyPassword"), p);
        e.proxyPassword = QString::fromUtf8(Entschleiern(decodeIniBytes(stored)));
        e.nicEngine = IniReadBool(kAllgemein, QStringLiteral("nic_engine"), d.nicEngine, p);
        e.cacheIntervalText = IniReadString(kAllgemein, QStringLiteral("CacheInterval"), p);
        e.cacheInterval = IniReadInteger(kAllgemein, QStringLiteral("CacheInterval"), d.cacheInterval, p);
        e.left = IniReadInteger(kFenster, QStringLiteral("Left"), d.left, p);
        e.top = IniReadInteger(kFenster, QStringLiteral("Top"), d.top, p);
        e.visible = IniReadBool(kFenster, QStringLiteral("Visible"), d.visible, p);
        e.sonderModus = IniReadBool(kVariablen, QStringLiteral("SonderModus"), d.sonderModus, vars);
        e.hilfedatei = IniReadString(kAllgemein, QStringLiteral("Hilfedatei"), p);
        if (e.hilfedatei.isEmpty())
            e.hilfedatei = d.hilfedatei;
        e.zentrale = IniReadString(kAllgemein, QStringLiteral("Zentrale"), p).trimmed();
    });
}

bool BerichteLaden(Berichte& b, const QString& iniPath)
{
    const Berichte d;
    const QString& p = iniPath;
    return guarded([&] {
        b.autoBericht = IniReadBool(kBerichte, QStringLiteral("AutoBericht"), d.autoBericht, p);
        b.dayOfAutoBericht = IniReadString(kBerichte, QStringLiteral("DayOfAutoBericht"), p);
        b.comboBoxIndex = IniReadInteger(kBerichte, QStringLiteral("ComboBoxIndex"), d.comboBoxIndex, p);
        b.tagesbericht = IniReadBool(kBerichte, QStringLiteral("Tagesbericht"), d.tagesbericht, p);
        b.monatsbericht = IniReadBool(kBerichte, QStringLiteral("Monatsbericht"), d.monatsbericht, p);
        b.jahresbericht = IniReadBool(kBerichte, QStringLiteral("Jahresbericht"), d.jahresbericht, p);
        b.pfad = IniReadString(kBerichte, QStringLiteral("Pfad"), p);
        b.eigenerbericht = IniReadBool(kBerichte, QStringLiteral("Eigenerbericht"), d.eigenerbericht, p);
        b.eigenerberichtVon = IniReadString(kBerichte, QStringLiteral("Eigenerbericht_von"), p);
        b.eigenerberichtBis = IniReadString(kBerichte, QStringLiteral("Eigenerbericht_bis"), p);
    });
}

namespace {

void writeWindowKeys(const Einstellungen& e, const QString& p)
{
    IniWriteInteger(kFenster, QStringLiteral("Left"), e.left, p);
    IniWriteInteger(kFenster, QStringLiteral("Top"), e.top, p);
    IniWriteBool(kFenster, QStringLiteral("Visible"), e.visible, p);
}

} // namespace

bool EinstellungenSpeichern(const Einstellungen& e, const QString& iniPath)
{
    const QString& p = iniPath;
    return guarded([&] {
        IniWriteBool(kAllgemein, QStringLiteral("Umrechnung"), e.umrechnung, p);
        IniWriteBool(kAllgemein, QStringLiteral("dfu_engine"), e.dfuEngine, p);
        IniWriteInteger(kAllgemein, QStringLiteral("nicengineintervall"), e.nicEngineIntervall, p);
        IniWriteInteger(kAllgemein, QStringLiteral("basisprio"), e.basisprio, p);
        IniWriteBool(kAllgemein, QStringLiteral("doppeltertraffic"), e.doppeltertraffic, p);
        IniWriteString(kAllgemein, QStringLiteral("Sprachdateiname"), e.sprachdateiname, p);
        IniWriteInteger(kAllgemein, QStringLiteral("AutoUpdate"), e.autoUpdate, p);
        IniWriteBool(kAllgemein, QStringLiteral("nic_engine"), e.nicEngine, p);
        IniWriteString(kAllgemein, QStringLiteral("CacheInterval"), e.cacheIntervalText, p);
        IniWriteString(kAllgemein, QStringLiteral("Hilfedatei"), e.hilfedatei, p);
        IniWriteString(kAllgemein, QStringLiteral("Zentrale"), e.zentrale, p);
        if (!ProxySpeichern(e, p))
            throw IniError("proxy settings not saved");
        writeWindowKeys(e, p);
    });
}

bool ProxySpeichern(const Einstellungen& e, const QString& iniPath)
{
    const QString& p = iniPath;
    return guarded([&] {
        IniWriteString(kAllgemein, QStringLiteral("ProxyServer"), e.proxyServer, p);
        IniWriteInteger(kAllgemein, QStringLiteral("ProxyPort"), e.proxyPort, p);
        IniWriteString(kAllgemein, QStringLiteral("ProxyAuthenticate"), e.proxyAuthenticate, p);
        IniWriteBytes(kAllgemein, QStringLiteral("ProxyPassword"),
                      encodeIniBytes(Verschleiern(e.proxyPassword.toUtf8())), p);
    });
}

bool FensterSpeichern(const Einstellungen& e, bool withLanguage, const QString& iniPath)
{
    const QString& p = iniPath;
    return guarded([&] {
        writeWindowKeys(e, p);
        if (withLanguage)
            IniWriteString(kAllgemein, QStringLiteral("Sprachdateiname"), e.sprachdateiname, p);
        IniWriteFloat(kAllgemein, QStringLiteral("Lastupdate"), e.lastupdate, p);
        IniWriteString(kAllgemein, QStringLiteral("Hilfedatei"), e.hilfedatei, p);
    });
}

bool BerichteSpeichern(const Berichte& b, const QString& iniPath)
{
    const QString& p = iniPath;
    return guarded([&] {
        IniWriteBool(kBerichte, QStringLiteral("AutoBericht"), b.autoBericht, p);
        IniWriteString(kBerichte, QStringLiteral("DayOfAutoBericht"), b.dayOfAutoBericht, p);
        IniWriteInteger(kBerichte, QStringLiteral("ComboBoxIndex"), b.comboBoxIndex, p);
        IniWriteBool(kBerichte, QStringLiteral("Tagesbericht"), b.tagesbericht, p);
        IniWriteBool(kBerichte, QStringLiteral("Monatsbericht"), b.monatsbericht, p);
        IniWriteBool(kBerichte, QStringLiteral("Jahresbericht"), b.jahresbericht, p);
        IniWriteString(kBerichte, QStringLiteral("Pfad"), b.pfad, p);
        IniWriteBool(kBerichte, QStringLiteral("Eigenerbericht"), b.eigenerbericht, p);
        IniWriteString(kBerichte, QStringLiteral("Eigenerbericht_von"), b.eigenerberichtVon, p);
        IniWriteString(kBerichte, QStringLiteral("Eigenerbericht_bis"), b.eigenerberichtBis, p);
    });
}

double LastupdateLaden(const QString& iniPath)
{
    double value = Einstellungen{}.lastupdate;
    guarded([&] { value = IniReadFloat(kAllgemein, QStringLiteral("Lastupdate"), value, iniPath); });
    return value;
}
