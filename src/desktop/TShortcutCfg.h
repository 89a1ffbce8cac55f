#pragma once

#include <QString>

// One shortcut: an XDG desktop entry in the autostart folder. An empty text or
// a zero number leaves the field out.
struct TShortcutCfg
{
    QString name;          // file name without ".desktop"
    QString folder;        // the autostart folder's path, for the record
    QString target;        // program to start
    QString arguments;     // appended to the target, already quoted
    QString iconFile;      // icon path or theme name
    int iconIndex = 0;     // no desktop entry field
    QString workingFolder;
    QString description;
    QString hotKey;        // no desktop entry field
    int showCommand = 0;   // 1: a normal window; no desktop entry field either
};
