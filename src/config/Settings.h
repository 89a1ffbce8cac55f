#pragma once

#include <QString>

// Settings file section "Allgemein" and "Fenster", and "SonderModus" of the
// variables file. Member defaults are the defaults for missing keys.
struct Einstellungen
{
    bool umrechnung = false;
    bool dfuEngine = true;
    int nicEngineIntervall = 1;         // track bar position
    int nicEngineIntervallTimer = 1;    // read again for the timer
    int basisprio = 2;
    bool doppeltertraffic = true;
    QString sprachdateiname = QStringLiteral("deutsch.lan");
    int autoUpdate = 0;
    QString proxyServer;
    int proxyPort = 0;
    QString proxyAuthenticate;
    QString proxyPassword;              // clear text
    bool nicEngine = true;
    QString cacheIntervalText;          // CacheIntervalEdit
    int cacheInterval = 0;              // minutes, for the cache timer
    int left = 0;
    int top = 0;
    bool visible = true;
    bool sonderModus = false;
    QString hilfedatei = QStringLiteral("Hilfe");
    double lastupdate = 0;              // read on its own at start-up
    // libpq connection string of the fleet's central database; empty: none. Never a
    // password: libpq finds that in ~/.pgpass.
    QString zentrale;
};

// Settings file section "Berichte".
struct Berichte
{
    bool autoBericht = false;
    QString dayOfAutoBericht;
    int comboBoxIndex = 1;
    bool tagesbericht = true;
    bool monatsbericht = true;
    bool jahresbericht = true;
    QString pfad;
    bool eigenerbericht = false;
    QString eigenerberichtVon;
    QString eigenerberichtBis;
};

// Each routine returns false when a step failed; it stops at the failing key,
// and what was read or written before stays.
bool EinstellungenLaden(Einstellungen& e, const QString& iniPath = {}, const QString& variablesPath = {});
bool BerichteLaden(Berichte& b, const QString& iniPath = {});
bool EinstellungenSpeichern(const Einstellungen& e, const QString& iniPath = {});
bool ProxySpeichern(const Einstellungen& e, const QString& iniPath = {});
// `withLanguage`: a language object exists, so its file name is written too.
bool FensterSpeichern(const Einstellungen& e, bool withLanguage, const QString& iniPath = {});
bool BerichteSpeichern(const Berichte& b, const QString& iniPath = {});
double LastupdateLaden(const QString& iniPath = {});
