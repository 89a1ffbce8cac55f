#include "config/TVerInfo.h"

#include "BuildVersion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString qs(const char* text) { return QString::fromUtf8(text); }

class VersionFiles
{
public:
    QString write(const QString& name, const QByteArray& content)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(content);
        return path;
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

const QByteArray kGerman = "[VarFileInfo]\n"
                           "Translation=0407 04E4\n"
                           "[StringFileInfo\\040904B0]\n"
                           "ProductName=Falsch\n"
                           "FileVersion=0.0.0.1\n"
                           "[StringFileInfo\\040704E4]\n"
                           "CompanyName=Firma\n"
                           "FileDescription=Beschreibung\n"
                           "FileVersion=2.0.0.57\n"
                           "InternalName=intern\n"
                           "LegalCopyright=(c) Firma\n"
                           "LegalTrademarks=Marke\n"
                           "OriginalFilename=netzpegel\n"
                           "ProductName=Netzpegel\n"
                           "ProductVersion=2.0\n"
                           "Comments=Beta\n";

} // namespace

TEST(TVerInfo, ReadsTheStringTableNamedByTheFirstTranslation)
{
    VersionFiles files;
    TVerInfo v;
    ASSERT_TRUE(v.Lesen(files.write("a.ver", kGerman)));
    EXPECT_EQ(v.CompanyName(), qs("Firma"));
    EXPECT_EQ(v.FileDescription(), qs("Beschreibung"));
    EXPECT_EQ(v.FileVersion(), qs("2.0.0.57"));
    EXPECT_EQ(v.InternalName(), qs("intern"));
    EXPECT_EQ(v.LegalCopyright(), qs("(c) Firma"));
    EXPECT_EQ(v.LegalTrademarks(), qs("Marke"));
    EXPECT_EQ(v.OriginalFilename(), qs("netzpegel"));
    EXPECT_EQ(v.ProductName(), qs("Netzpegel"));
    EXPECT_EQ(v.ProductVersion(), qs("2.0"));
    EXPECT_EQ(v.Comments(), qs("Beta"));
    // Not in the resource: empty, and still a success.
    EXPECT_TRUE(v.SpecialBuild().isEmpty());

    // Only the first entry counts; a later one naming the other table is ignored.
    ASSERT_TRUE(v.Lesen(files.write("b.ver", QByteArray(kGerman).replace("0407 04E4", "0407 04e4, 0409 04B0"))));
    EXPECT_EQ(v.ProductName(), qs("Netzpegel"));
}

TEST(TVerInfo, TextsUnderAnotherLanguageBlockAreNotFound)
{
    VersionFiles files;
    TVerInfo v;
    ASSERT_TRUE(v.Lesen(files.write("a.ver", kGerman)));
    ASSERT_TRUE(v.Lesen(files.write("c.ver", QByteArray(kGerman).replace("0407 04E4", "0C07 04E4"))));
    EXPECT_TRUE(v.ProductName().isEmpty());
    EXPECT_TRUE(v.FileVersion().isEmpty());
    EXPECT_TRUE(v.Comments().isEmpty());
}

TEST(TVerInfo, WithoutTranslationEveryQueryFails)
{
    VersionFiles files;
    TVerInfo v;
    ASSERT_TRUE(v.Lesen(files.write("a.ver", kGerman)));
    for (const QByteArray& broken : {QByteArray("Translation=0407 04E4\n"), QByteArray("[VarFileInfo]\nTranslation=0407 04E4\n")}) {
        ASSERT_TRUE(v.Lesen(files.write("d.ver", QByteArray(kGerman).replace(broken, ""))));
        EXPECT_TRUE(v.ProductName().isEmpty());
        EXPECT_TRUE(v.CompanyName().isEmpty());
    }
    for (const char* translation : {"Translation=\n", "Translation=0407\n", "Translation=zz 04E4\n",
                                    "Translation=10407 04E4\n"}) {
        ASSERT_TRUE(v.Lesen(files.write("e.ver", QByteArray(kGerman).replace("Translation=0407 04E4\n", translation))))
            << translation;
        EXPECT_TRUE(v.ProductName().isEmpty()) << translation;
    }
}

TEST(TVerInfo, NoResourceFailsAndKeepsTheTexts)
{
    VersionFiles files;
    TVerInfo v;
    ASSERT_TRUE(v.Lesen(files.write("a.ver", kGerman)));
    EXPECT_FALSE(v.Lesen(files.write("leer.ver", QByteArray())));
    EXPECT_FALSE(v.Lesen(files.write("text.ver", "ProductName=Anders\n")));
    ASSERT_TRUE(QDir(files.path(QString())).mkdir("ordner"));
    EXPECT_FALSE(v.Lesen(files.path("ordner")));
    EXPECT_EQ(v.ProductName(), qs("Netzpegel"));
    EXPECT_EQ(v.FileVersion(), qs("2.0.0.57"));
}

TEST(TVerInfo, TheProgramsOwnResourceIsReadForAnUnknownNameAndForItself)
{
    for (const QString& name : {qs("netzpegel-gibt-es-hier-nicht"), QCoreApplication::applicationFilePath()}) {
        TVerInfo v;
        ASSERT_TRUE(v.Lesen(name)) << name.toStdString();
        EXPECT_EQ(v.ProductName(), qs("Netzpegel"));
        EXPECT_EQ(v.FileVersion(), qs(NETZPEGEL_VERSION_TEXT));
        EXPECT_EQ(v.ProductVersion(), qs(NETZPEGEL_VERSION_TEXT));
        EXPECT_FALSE(v.CompanyName().isEmpty());
        EXPECT_FALSE(v.LegalCopyright().isEmpty());
    }
}

TEST(TVerInfo, CaptionAddsCommentsAndSpecialBuildOnlyWhenPresent)
{
    struct Case
    {
        QByteArray extra;
        QString caption;
    };
    const Case cases[] = {
        {"", qs("Netzpegel (2.0.0.57)")},
        {"Comments=Beta\n", qs("Netzpegel (2.0.0.57) Beta")},
        {"SpecialBuild=Testlauf\n", qs("Netzpegel (2.0.0.57) Testlauf")},
        {"Comments=Beta\nSpecialBuild=Testlauf\n", qs("Netzpegel (2.0.0.57) Beta Testlauf")},
        {"Comments=\nSpecialBuild=\n", qs("Netzpegel (2.0.0.57)")},
    };
    VersionFiles files;
    for (const Case& c : cases) {
        TVerInfo v;
        const QByteArray resource = "[VarFileInfo]\nTranslation=0407 04B0\n[StringFileInfo\\040704B0]\n"
                                    "ProductName=Netzpegel\nFileVersion=2.0.0.57\n"
            + c.extra;
        ASSERT_TRUE(v.Lesen(files.write("cap.ver", resource)));
        EXPECT_EQ(v.windowCaption(), c.caption);
    }
    // Nothing read: only the fixed parts.
    EXPECT_EQ(TVerInfo().windowCaption(), qs(" ()"));
}

TEST(TVerInfo, UpdateInfoAndDatabaseVersionAreKeptForOthers)
{
    TVerInfo v;
    ASSERT_EQ(v.UpdateInfo().size(), TVerInfo::kUpdateInfoSize);
    for (const QString& t : v.UpdateInfo())
        EXPECT_TRUE(t.isEmpty());
    EXPECT_TRUE(v.dbversion().isEmpty());
    v.setUpdateInfo(0, qs("2.0.1.58"));
    v.setUpdateInfo(2, qs("-"));
    v.setUpdateInfo(3, qs("zu weit"));
    v.setUpdateInfo(-1, qs("zu weit"));
    v.setDbversion(qs("2.2"));
    EXPECT_EQ(v.UpdateInfo(), QStringList({qs("2.0.1.58"), QString(), qs("-")}));
    EXPECT_EQ(v.dbversion(), qs("2.2"));
}
