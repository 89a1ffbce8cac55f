#pragma once

#include <span>

// What the loader does with the text of one language key.
enum class LanguageKeyUse {
    Kept,           // stored only, read back by section and key
    Control,        // "<object>-><Caption|Hint>" of a main-window control
    GridHeader,     // a column heading of the live grid, in column order
    UpdateItem,     // an item of Update_ComboBox, in item order
    SearchTypeItem, // an item of SearchType_ComboBox
    BefehlItem,     // an item of Befehlauswahl_ComboBox
    Menu,           // caption of a menu entry
    Unit1000,       // unit name for base 1000, index = key
    Unit1024,       // unit name for base 1024, index = key
};

struct LanguageKey
{
    const char* section;
    const char* key;
    LanguageKeyUse use;
    // Menu entry that takes the caption when it is not the object the key names.
    const char* target = nullptr;
};

// Every key of a language file in the order the loader reads it; keys read
// twice appear twice.
std::span<const LanguageKey> languageKeys();
