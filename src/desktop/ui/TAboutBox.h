#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class UrlOpener;

// The about box: product, version, copyright and database version; "Website"
// and the picture open the program's web site.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    struct Texts
    {
        QString caption;       // the menu entry's caption, without "&"
        QString productName;
        QString fileVersion;
        QString legalCopyright;
        QString dbVersion;
        QString websiteUrl;    // "URL" of the variables file
    };

    // `opener` must outlive the dialog; may be null (then the links open nothing).
    TAboutBox(const Texts& texts, UrlOpener* opener, QWidget* parent = nullptr);

    void Label1Click();
    void ProgramIconClick();

    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Copyright;
    QLabel* DBVersion;
    QLabel* Label1;
    QPushButton* OKButton;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openWebsite();

    UrlOpener* m_opener;
    QString m_url;
};
