#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The texts of the program's version resource, the database version text and
// the texts fetched by the update check.
class TVerInfo
{
public:
    // UpdateInfo entries: fetched version text, download address, second address.
    static constexpr int kUpdateInfoSize = 3;

    TVerInfo();

    // Reads the version resource of `fileName`, or the program's own (compiled
    // in) when no such file exists or it is the running executable. False, and
    // no text changed, when there is no resource or it cannot be read.
    bool Lesen(const QString& fileName);
    // The same for a resource's text.
    bool readResource(const QByteArray& data);

    const QStringList& UpdateInfo() const { return m_updateInfo; }
    void setUpdateInfo(int index, const QString& text);
    QString dbversion() const { return m_dbversion; }
    void setDbversion(const QString& text) { m_dbversion = text; }

    QString CompanyName() const { return m_texts[0]; }
    QString FileDescription() const { return m_texts[1]; }
    QString FileVersion() const { return m_texts[2]; }
    QString InternalName() const { return m_texts[3]; }
    QString LegalCopyright() const { return m_texts[4]; }
    QString LegalTrademarks() const { return m_texts[5]; }
    QString OriginalFilename() const { return m_texts[6]; }
    QString ProductName() const { return m_texts[7]; }
    QString ProductVersion() const { return m_texts[8]; }
    QString Comments() const { return m_texts[9]; }
    QString SpecialBuild() const { return m_texts[10]; }

    // Main window caption: product (file version), then comments and special
    // build, each after a blank and only when not empty.
    QString windowCaption() const;
    static QString windowCaption(const QString& productName, const QString& fileVersion,
                                 const QString& comments, const QString& specialBuild);

    // Where the running program keeps its own version resource.
    static QString ownResourcePath();

private:
    QStringList m_updateInfo;
    QString m_dbversion;
    std::array<QString, 11> m_texts;
};
