#include "config/LanguageKeys.h"
#include "config/TSprache.h"
#include "support/TempHome.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString qs(const char* text) { return QString::fromUtf8(text); }

// The text a generated file gives key `k`: unique per section (regardless of
// case) and key, and different for each `tag`.
QString valueFor(const QString& tag, const LanguageKey& k)
{
    return tag + QLatin1Char(':') + qs(k.section).toLower() + QLatin1Char('/') + qs(k.key).trimmed();
}

// A language file holding every key the loader reads. Sections that differ
// only in case share one block, as they must in a real file.
QByteArray fullFile(const QString& tag)
{
    QList<QString> order;
    QHash<QString, QByteArray> blocks;
    QHash<QString, QString> headers;
    QSet<QString> written;
    for (const LanguageKey& k : languageKeys()) {
        const QString id = qs(k.section).toLower();
        if (!headers.contains(id)) {
            order << id;
            headers[id] = qs(k.section);
        }
        if (written.contains(id + qs(k.key)))
            continue;
        written.insert(id + qs(k.key));
        blocks[id] += QByteArray(k.key).trimmed() + '=' + valueFor(tag, k).toUtf8() + '\n';
    }
    QByteArray out;
    for (const QString& id : order)
        out += '[' + headers[id].toUtf8() + "]\n" + blocks[id] + '\n';
    return out;
}

QStringList controlKeys(const TSprache& s)
{
    QStringList keys;
    for (const ControlText& c : s.controlTexts())
        keys << c.key;
    return keys;
}

void expectAllEmpty(const TSprache& s)
{
    for (const LanguageKey& k : languageKeys())
        EXPECT_TRUE(s.text(qs(k.section), qs(k.key)).isEmpty()) << k.section << " " << k.key;
    for (const ControlText& c : s.controlTexts())
        EXPECT_TRUE(c.text.isEmpty()) << c.key.toStdString();
    for (const ControlText& c : s.menuTexts())
        EXPECT_TRUE(c.text.isEmpty()) << c.key.toStdString();
    for (const QStringList* list : {&s.liveGridHeaders(), &s.updateItems(), &s.searchTypeItems(),
                                    &s.befehlItems(), &s.units1000(), &s.units1024()})
        for (const QString& t : *list)
            EXPECT_TRUE(t.isEmpty());
    EXPECT_EQ(s.units1000().size(), 9);
    EXPECT_EQ(s.units1024().size(), 9);
}

} // namespace

TEST(TSprache, FullFileFillsEveryTextAndEveryList)
{
    TempHome home;
    home.write("a.lan", fullFile(qs("Ü1")));
    TSprache s;
    ASSERT_TRUE(s.Laden("a.lan"));
    EXPECT_EQ(s.filePath(), home.file("a.lan"));
    EXPECT_EQ(s.fileName(), qs("a.lan"));

    for (const LanguageKey& k : languageKeys())
        EXPECT_EQ(s.text(qs(k.section), qs(k.key)), valueFor(qs("Ü1"), k)) << k.section << " " << k.key;
    EXPECT_EQ(s.error("Error24a"), qs("Ü1:errors/Error24a"));
    EXPECT_EQ(s.dfuName(), qs("Ü1:tabsheet1/dfu"));
    EXPECT_EQ(s.helpFileQuestion(), qs("Ü1:tabsheet2/Hilfedatei_laden_Abfrage->Message"));

    const QStringList updates{qs("Ü1:tabsheet2/Update_ComboBox->ItemIndex0"),
                              qs("Ü1:tabsheet2/Update_ComboBox->ItemIndex1"),
                              qs("Ü1:tabsheet2/Update_ComboBox->ItemIndex2"),
                              qs("Ü1:tabsheet2/Update_ComboBox->ItemIndex3")};
    EXPECT_EQ(s.updateItems(), updates);
    ASSERT_EQ(s.searchTypeItems().size(), 6);
    EXPECT_EQ(s.searchTypeItems().first(), qs("Ü1:tabsheet3/SearchType1"));
    EXPECT_EQ(s.searchTypeItems().last(), qs("Ü1:tabsheet3/SearchType6"));
    const QStringList befehle{qs("Ü1:tabsheet5/table_del"), qs("Ü1:tabsheet5/table_copy"),
                              qs("Ü1:tabsheet5/table_move"), qs("Ü1:tabsheet5/table_exp"),
                              qs("Ü1:tabsheet5/table_imp")};
    EXPECT_EQ(s.befehlItems(), befehle);
    ASSERT_EQ(s.liveGridHeaders().size(), 6);
    EXPECT_EQ(s.liveGridHeaders().at(5), qs("Ü1:tabsheet1/StringGrid1->Cells[5][0]"));
    ASSERT_EQ(s.units1000().size(), 9);
    ASSERT_EQ(s.units1024().size(), 9);
    EXPECT_EQ(s.units1000().at(8), qs("Ü1:quantities_1000/8"));
    EXPECT_EQ(s.units1024().at(0), qs("Ü1:quantities_1024/0"));

    const GraphMenuTexts g = s.graphMenuTexts();
    EXPECT_EQ(g.vordergrund, qs("Ü1:graphenform/Vordergrund1"));
    EXPECT_EQ(g.transparenz, qs("Ü1:graphenform/Transparenz1"));
    EXPECT_EQ(g.colors, qs("Ü1:graphenform/Colors1->Caption"));
    EXPECT_EQ(g.foreColor, qs("Ü1:tabsheet2/ForeColorButton->Caption"));
    EXPECT_EQ(g.recvColor, qs("Ü1:tabsheet2/RecvColorButton->Caption"));
}

TEST(TSprache, ControlTextsComeInReadingOrderWithTheirControls)
{
    TempHome home;
    home.write("a.lan", fullFile(qs("x")));
    TSprache s;
    ASSERT_TRUE(s.Laden("a.lan"));

    // 1 + 50 + 4 + 6 (TabSheet1, TabSheet2, Tabsheet2, TabSheet2 again), 14 (the data plan box), 5 (the central database),
    // 10 (TabSheet3), 15 (TabSheet4), 5 (TabSheet5).
    const QList<ControlText>& controls = s.controlTexts();
    ASSERT_EQ(controls.size(), 110);
    EXPECT_EQ(controls.first().control, qs("TabSheet1"));
    EXPECT_EQ(controls.first().property, ControlText::Property::Caption);
    for (const ControlText& c : controls) {
        EXPECT_TRUE(c.key.trimmed().startsWith(c.control + qs("->"))) << c.key.toStdString();
        EXPECT_EQ(c.property == ControlText::Property::Hint, c.key.endsWith(qs("->Hint")));
        EXPECT_EQ(c.text, qs("x:") + c.section.toLower() + QLatin1Char('/') + c.key.trimmed());
    }

    const QStringList keys = controlKeys(s);
    // The lower-case section comes between the colour hints and the update hint.
    const qsizetype recvHint = keys.indexOf(qs("RecvColorButton->Hint"));
    const qsizetype autostart = keys.indexOf(qs("Autostart_Checkbox->Caption"));
    const qsizetype updateHint = keys.indexOf(qs("Update_ComboBox->Hint"));
    EXPECT_EQ(autostart, recvHint + 1);
    EXPECT_EQ(updateHint, autostart + 4);
    EXPECT_EQ(controls.at(autostart).section, qs("Tabsheet2"));
    EXPECT_EQ(controls.at(autostart).text, qs("x:tabsheet2/Autostart_Checkbox->Caption"));

    // The key with a leading blank names the control without it.
    const qsizetype groupBox5 = keys.indexOf(qs(" GroupBox5->Caption"));
    ASSERT_GE(groupBox5, 0);
    EXPECT_EQ(controls.at(groupBox5).control, qs("GroupBox5"));
    EXPECT_EQ(controls.at(groupBox5).text, qs("x:tabsheet4/GroupBox5->Caption"));

    const QList<ControlText>& menus = s.menuTexts();
    ASSERT_EQ(menus.size(), 12);
    EXPECT_EQ(menus.at(0).control, qs("Datei1"));
    EXPECT_EQ(menus.at(4).control, qs("allesMinimieren1"));
    EXPECT_EQ(menus.at(8).control, qs("AllesMinimieren2"));
    EXPECT_EQ(menus.at(8).text, menus.at(4).text);
    EXPECT_EQ(menus.at(11).control, qs("Donate1"));
}

TEST(TSprache, ErrorsOnlyFileEmptiesEveryOtherTextAndSecondFileReplacesAll)
{
    TempHome home;
    home.write("full.lan", fullFile(qs("first")));
    home.write("errors.lan", "[Errors]\nError13=Gespeichert.\nError40=Kein Download:\n");
    home.write("other.lan", fullFile(qs("second")));
    TSprache s;
    ASSERT_TRUE(s.Laden("full.lan"));

    ASSERT_TRUE(s.Laden("errors.lan"));
    EXPECT_EQ(s.error("Error13"), qs("Gespeichert."));
    EXPECT_EQ(s.error("Error40"), qs("Kein Download:"));
    EXPECT_TRUE(s.error("Error1").isEmpty());
    for (const ControlText& c : s.controlTexts())
        EXPECT_TRUE(c.text.isEmpty()) << c.key.toStdString();
    EXPECT_EQ(s.controlTexts().size(), 110);
    EXPECT_EQ(s.units1000(), QStringList(9));
    EXPECT_EQ(s.units1024(), QStringList(9));
    EXPECT_EQ(s.updateItems(), QStringList(4));
    EXPECT_TRUE(s.dfuName().isEmpty());

    ASSERT_TRUE(s.Laden("other.lan"));
    for (const LanguageKey& k : languageKeys())
        EXPECT_EQ(s.text(qs(k.section), qs(k.key)), valueFor(qs("second"), k)) << k.key;
}

TEST(TSprache, MissingFileEmptiesEverythingWithoutFailing)
{
    TempHome home;
    home.write("a.lan", fullFile(qs("a")));
    TSprache s;
    ASSERT_TRUE(s.Laden("a.lan"));
    EXPECT_TRUE(s.Laden("gibtsnicht.lan"));
    EXPECT_EQ(s.filePath(), home.file("gibtsnicht.lan"));
    expectAllEmpty(s);
}

TEST(TSprache, UnreadableFileFailsAndKeepsThePreviousTexts)
{
    TempHome home;
    home.write("a.lan", fullFile(qs("a")));
    ASSERT_TRUE(QDir(home.folder()).mkdir("ordner.lan"));
    TSprache s;
    ASSERT_TRUE(s.Laden("a.lan"));
    EXPECT_FALSE(s.Laden("ordner.lan"));
    EXPECT_EQ(s.error("Error1"), qs("a:errors/Error1"));
    EXPECT_EQ(s.controlTexts().first().text, qs("a:tabsheet1/TabSheet1->Caption"));
    EXPECT_EQ(s.units1024().at(3), qs("a:quantities_1024/3"));
}

TEST(TSprache, ValuesAreReadLikeTheProfileReader)
{
    struct Case
    {
        const char* name;
        QByteArray file;
        const char* section;
        const char* key;
        QString expected;
    };
    const Case cases[] = {
        {"quotes keep blanks", "[Errors]\nError10=\"Adapter \"\n", "Errors", "Error10", qs("Adapter ")},
        {"blanks around value", "[Errors]\nError1 =   Text  \n", "Errors", "Error1", qs("Text")},
        {"single quote stays", "[Errors]\nError24=\" erledigt\n", "Errors", "Error24", qs("\" erledigt")},
        {"key with leading blank", "[TabSheet4]\n GroupBox5->Caption=Inhalt\n", "TabSheet4", " GroupBox5->Caption",
         qs("Inhalt")},
        {"key without the blank", "[TabSheet4]\nGroupBox5->Caption=Inhalt\n", "TabSheet4", " GroupBox5->Caption",
         qs("Inhalt")},
        {"section case", "[TABSHEET2]\nnic_CheckBox->Caption=Adapter\n", "Tabsheet2", "nic_CheckBox->Caption",
         qs("Adapter")},
        {"CR LF lines", "[Errors]\r\nError2=Zwei\r\n", "Errors", "Error2", qs("Zwei")},
        {"Windows-1252 bytes", "[Errors]\nError3=Gr\xfc\xdf\x65 \x80\n", "Errors", "Error3", qs("Grüße €")},
        {"UTF-8 bytes", "[Errors]\nError3=Grüße\n", "Errors", "Error3", qs("Grüße")},
        {"unread key", "[Errors]\nError99=x\n", "Errors", "Error99", QString()},
        {"unread section", "[Andere]\nError1=x\n", "Errors", "Error1", QString()},
        {"overlong value", "[Errors]\nError4=" + QByteArray(3000, 'x') + '\n', "Errors", "Error4",
         QString(2047, QLatin1Char('x'))},
    };
    TempHome home;
    for (const Case& c : cases) {
        home.write("t.lan", c.file);
        TSprache s;
        ASSERT_TRUE(s.Laden("t.lan")) << c.name;
        EXPECT_EQ(s.text(qs(c.section), qs(c.key)), c.expected) << c.name;
    }
}

TEST(TSprache, BrokenFilesGiveWhatTheyHoldReadablyAndNothingElse)
{
    static const char withNul[] = "\xff\xfe\x00\x01[Errors\nError1=\xc3\n=\n[\n]\n";
    const struct
    {
        const char* what;
        QByteArray bytes;
        const char* error1;
        const char* error2;
        const char* unit0;   // of base 1000
    } cases[] = {
        {"NUL bytes, a section without its bracket", QByteArray(withNul, sizeof(withNul) - 1), "", "", ""},
        {"a readable line, then a key without a value", "[Errors]\nError2=Geht\nError1", "", "Geht", ""},
        {"empty", QByteArray(), "", "", ""},
        {"a value that is no UTF-8, a unit beyond the nine", "\n\n\n[Quantities_1000]\n0=\xe2\x82\n9=zu viel\n", "",
         "", "\xc3\xa2\xe2\x80\x9a"},   // read as Windows-1252: "â‚"
    };
    TempHome home;
    for (const auto& c : cases) {
        home.write("b.lan", c.bytes);
        TSprache s;
        EXPECT_TRUE(s.Laden("b.lan")) << c.what;
        EXPECT_EQ(s.error(qs("Error1")), qs(c.error1)) << c.what;
        EXPECT_EQ(s.error(qs("Error2")), qs(c.error2)) << c.what;
        ASSERT_EQ(s.units1000().size(), 9) << c.what;
        EXPECT_EQ(s.units1000().at(0), qs(c.unit0)) << c.what;
        for (int i = 1; i < 9; ++i)
            EXPECT_TRUE(s.units1000().at(i).isEmpty()) << c.what << " " << i;
        EXPECT_EQ(s.units1024().size(), 9) << c.what;
        EXPECT_EQ(s.controlTexts().size(), 110) << c.what;
        for (const ControlText& t : s.controlTexts())
            EXPECT_TRUE(t.text.isEmpty()) << c.what << ": " << t.control.toStdString();
    }
}

TEST(TSprache, PickedFileIsLookedForInTheProgramFolder)
{
    TempHome home;
    home.write("english.lan", "[Errors]\nError13=Saved.\n");
    QTemporaryDir elsewhere;
    const QString picked = elsewhere.filePath("english.lan");
    {
        QFile f(picked);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Errors]\nError13=Anderswo.\n");
    }

    EXPECT_EQ(TSprache::chosenFileName(picked), qs("english.lan"));
    EXPECT_TRUE(TSprache::chosenFileName(QString()).isEmpty());

    TSprache s;
    ASSERT_TRUE(s.Laden(TSprache::chosenFileName(picked)));
    EXPECT_EQ(s.error("Error13"), qs("Saved."));
    EXPECT_EQ(s.fileName(), qs("english.lan"));
    EXPECT_EQ(s.filePath(), home.file("english.lan"));
}

TEST(TSprache, DialogFiltersJoinTextAndPattern)
{
    TempHome home;
    home.write("f.lan", "[Filters]\nOpenDialogFilter1=Tabellen\nOpenDialogFilter2=Berichte\n"
                        "OpenDialogFilter3=Sprachdateien\nOpenDialogFilter4=Hilfe\n");
    TSprache s;
    ASSERT_TRUE(s.Laden("f.lan"));
    EXPECT_EQ(s.dialogFilter(1), qs("Tabellen (*.tab)"));
    EXPECT_EQ(s.dialogFilter(2), qs("Berichte (*.htm*)"));
    EXPECT_EQ(s.dialogFilter(3), qs("Sprachdateien (*.lan)"));
    EXPECT_EQ(s.filterText(4), qs("Hilfe"));
    EXPECT_TRUE(s.dialogFilter(0).isEmpty());
    EXPECT_TRUE(s.filterText(5).isEmpty());

    ASSERT_TRUE(s.Laden("fehlt.lan"));
    EXPECT_EQ(s.dialogFilter(3), qs("*.lan"));
}
