#include "desktop/ui/TAboutBox.h"

#include "desktop/ProgramIcon.h"
#include "desktop/UrlOpener.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

} // namespace

TAboutBox::TAboutBox(const Texts& texts, UrlOpener* opener, QWidget* parent)
    : QDialog(parent)
    , m_opener(opener)
    , m_url(texts.websiteUrl)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QString(texts.caption).remove(QLatin1Char('&')));

    ProgramIcon = new QLabel(this);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(QPixmap::fromImage(paintProgramIcon(64, kIconReceiveLevel, kIconSendLevel)));
    ProgramIcon->setCursor(Qt::PointingHandCursor);
    ProgramIcon->installEventFilter(this);

    ProductName = label(this, "ProductName", QStringLiteral("Productname: ") + texts.productName);
    QFont big = ProductName->font();
    big.setBold(true);
    ProductName->setFont(big);
    Version = label(this, "Version", QStringLiteral("Version: ") + texts.fileVersion);
    Copyright = label(this, "Copyright", texts.legalCopyright);
    DBVersion = label(this, "DBVersion", QStringLiteral("DB-Version: ") + texts.dbVersion);
    Label1 = new QLabel(QStringLiteral("<a href=\"#\">Website</a>"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setToolTip(texts.websiteUrl);
    connect(Label1, &QLabel::linkActivated, this, &TAboutBox::Label1Click);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* textColumn = new QVBoxLayout();
    for (QLabel* l : {ProductName, Version, Copyright, DBVersion, Label1})
        textColumn->addWidget(l);
    auto* top = new QHBoxLayout();
    top->addWidget(ProgramIcon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(textColumn, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutBox::Label1Click()
{
    openWebsite();
}

void TAboutBox::ProgramIconClick()
{
    openWebsite();
}

void TAboutBox::openWebsite()
{
    if (m_opener && !m_url.isEmpty())
        m_opener->open(QUrl(m_url));
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ProgramIcon && event->type() == QEvent::MouseButtonRelease) {
        ProgramIconClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
