#pragma once

#include <QStringList>
#include <QTextStream>

// "netzpegel --export TABLE FILE": the days of one traffic table into a table
// file, exactly at FILE. Reads the database only.
int runExportCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

// "netzpegel --import FILE TABLE": the days of a table file added to a traffic
// table (made when missing), in one transaction: all of them or none.
int runImportCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);
