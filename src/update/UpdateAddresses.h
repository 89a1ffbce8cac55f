#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Splits a text like a comma text: entries end at commas, blanks and line
// breaks; a double-quoted entry keeps its blanks and commas, and a doubled
// quote inside it stands for one quote; a comma at the very end adds an empty
// entry.
QStringList splitCommaText(QStringView text);

// The server's address list: entry 0 the download address ("-" when no
// download is offered), entry 1 a second address.
struct UpdateAddresses
{
    QString download;
    QString second;
    QString error;   // set when the list has fewer than two entries

    bool ok() const { return error.isEmpty(); }
    bool offersDownload() const { return download != QLatin1String("-"); }
};
UpdateAddresses parseAddressList(QStringView text);

// The extension of a download address: from the last dot of its last path
// segment, query and fragment left out; empty when there is none.
// "http://host/setup.exe" gives ".exe".
QString downloadExtension(QStringView address);
// The name the download is stored under in the program folder.
QString downloadFileName(QStringView address);
