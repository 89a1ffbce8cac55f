// The settings file, the variables file and every other ini text: parsed,
// looked up, changed and written back.
#include "config/IniDocument.h"
#include "config/IniFile.h"
#include "FuzzCheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    IniDocument doc = IniDocument::parse(text);
    // A file the program only reads from is written back byte for byte.
    check(doc.serialize() == text);

    static const char* const sections[] = {"Allgemein", "Fenster", "Berichte", "Variablen"};
    static const char* const keys[] = {"nicengineintervall", "Left", "CacheInterval", "Sprachdateiname", "SonderModus"};
    for (const char* section : sections) {
        for (const char* key : keys) {
            const auto value = doc.value(section, key);
            int number = 0;
            if (value && parseIniInteger(*value, number)) {
                int again = 0;
                check(parseIniInteger(QByteArray::number(number), again) && again == number);
            }
        }
    }

    // Writing one value changes what that value reads, and nothing it should not.
    const QByteArray written = QByteArray::number(static_cast<qulonglong>(size) * 7919u);
    const char* section = sections[size % 4];
    const char* key = keys[size % 5];
    const char* other = keys[(size + 1) % 5];
    const auto otherBefore = doc.value(section, other);
    doc.setValue(section, key, written);
    const IniDocument reread = IniDocument::parse(doc.serialize());
    check(reread.value(section, key) == written);
    check(reread.value(section, other) == otherBefore);
    return 0;
}
