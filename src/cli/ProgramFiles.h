#pragma once

#include "config/Settings.h"
#include "config/TSprache.h"

#include <QString>

#include <memory>
#include <vector>

class Database;
class InterfaceTable;

// What a window-less mode reads of the program folder, writing nothing there:
// the settings, the language file (the shipped one when the folder has none)
// and the database, read-only.
struct ProgramFiles
{
    Einstellungen einstellungen;
    Berichte berichte;
    TSprache sprache;
    int base = 1024; // Umrechnungsfaktor

    // False, with the reason in `error`, when the settings cannot be read.
    bool load(QString& error);
    // Throws DatabaseError when the database cannot be opened.
    static std::unique_ptr<Database> openDatabase();
};

// An entry of the adapter list as the window makes it at its start.
struct ProgramEntry
{
    QString index;
    QString name;
    QString mac; // as the settings tab shows it; empty for the dial-up entry
};

// The window's entries in its order: one per row of the interface table when
// adapter sampling is on, then the dial-up entry when dial-up sampling is on.
// False when the interface table cannot be read.
bool programEntries(InterfaceTable& table, const ProgramFiles& files, std::vector<ProgramEntry>& entries);
