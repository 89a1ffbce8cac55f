#include "cli/ProgramFiles.h"

#include "acquisition/InterfaceTable.h"
#include "acquisition/TNic.h"
#include "base/ProgramFolder.h"
#include "storage/Database.h"

#include <QFileInfo>

bool ProgramFiles::load(QString& error)
{
    if (!EinstellungenLaden(einstellungen) || !BerichteLaden(berichte)) {
        error = QStringLiteral("the settings file %1 cannot be read").arg(settingsFilePath());
        return false;
    }
    base = einstellungen.umrechnung ? 1000 : 1024;
    const QString own = programFile(einstellungen.sprachdateiname);
    if (!sprache.LadenVon(QFileInfo::exists(own) ? own : QStringLiteral(":/shipped/") + einstellungen.sprachdateiname)) {
        error = QStringLiteral("the language file %1 cannot be read").arg(own);
        return false;
    }
    return true;
}

std::unique_ptr<Database> ProgramFiles::openDatabase()
{
    auto db = std::make_unique<Database>(Database::programDatabasePath(), Database::readOnlyOptions());
    db->open();
    return db;
}

bool programEntries(InterfaceTable& table, const ProgramFiles& files, std::vector<ProgramEntry>& entries)
{
    entries.clear();
    if (files.einstellungen.nicEngine) {
        std::vector<IfRow> rows;
        if (!table.open() || !table.read(rows))
            return false;
        table.close();
        for (const IfRow& row : rows)
            entries.push_back({TNic::adapterId(row.index, files.einstellungen.sonderModus), row.name,
                               TNic::macText(row.physAddr)});
    }
    if (files.einstellungen.dfuEngine)
        entries.push_back({QStringLiteral("dfu"), files.sprache.dfuName(), QString()});
    return true;
}
