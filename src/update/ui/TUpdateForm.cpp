#include "update/ui/TUpdateForm.h"

#include "config/TSprache.h"
#include "update/UpdateService.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <climits>

TUpdateForm::TUpdateForm(UpdateService& service, const TSprache& sprache)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint)
    , m_service(service)
    , m_caption(sprache.text(QStringLiteral("Updates"), QStringLiteral("Update4")))
{
    setObjectName(QStringLiteral("UpdateForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    Label1 = new QLabel(sprache.text(QStringLiteral("Updates"), QStringLiteral("Update5")), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    // Its texts carry what a server said: never read as markup.
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    UpdateButton = new QPushButton(this);
    UpdateButton->setObjectName(QStringLiteral("UpdateButton"));
    InstallButton = new QPushButton(this);
    InstallButton->setObjectName(QStringLiteral("InstallButton"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1, 1);
    layout->addWidget(ProgressBar1);
    layout->addWidget(UpdateButton);
    layout->addWidget(InstallButton);
    setFixedSize(360, 160);
    setWindowTitle(m_caption);

    connect(UpdateButton, &QPushButton::clicked, this, &TUpdateForm::UpdateButtonClick);
    connect(InstallButton, &QPushButton::clicked, &service, &UpdateService::InstallButtonClick);
    connect(&service, &UpdateService::showRequested, this, &TUpdateForm::showOnTop);
    connect(&service, &UpdateService::statusChanged, Label1, &QLabel::setText);
    connect(&service, &UpdateService::updateOffered, this, &TUpdateForm::offerUpdate);
    connect(&service, &UpdateService::updateButtonDisabled, UpdateButton, [this] { UpdateButton->setEnabled(false); });
    connect(&service, &UpdateService::installOffered, this, &TUpdateForm::offerInstall);
    connect(&service, &UpdateService::progressBegin, this, &TUpdateForm::WorkBegin);
    connect(&service, &UpdateService::progressAt, this, &TUpdateForm::Work);
    connect(&service, &UpdateService::progressEnd, this, &TUpdateForm::WorkEnd);
}

void TUpdateForm::showOnTop()
{
    if (isVisible())
        raise();
    else
        show();
}

void TUpdateForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    UpdateButton->hide();
    ProgressBar1->hide();
    InstallButton->hide();
    setWindowTitle(m_caption);
    // Bottom right of the work area, clear of the panels.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // move() places the frame; before the first mapping the frame is not known yet.
    const QSize outer = frameGeometry().size();
    move(area.right() + 1 - outer.width(), area.bottom() + 1 - outer.height());
    raise();
}

void TUpdateForm::closeEvent(QCloseEvent* event)
{
    if (m_service.running()) {
        m_service.abortTransfer();
        event->ignore();
        return;
    }
    event->accept();
}

void TUpdateForm::UpdateButtonClick()
{
    ProgressBar1->show();
    m_service.UpdateButtonClick();
}

void TUpdateForm::offerUpdate(const QString& caption, const QString& hint)
{
    UpdateButton->setText(caption);
    UpdateButton->setToolTip(hint);
    UpdateButton->setEnabled(true);
    UpdateButton->show();
}

void TUpdateForm::offerInstall(const QString& caption)
{
    UpdateButton->hide();
    InstallButton->setText(caption);
    InstallButton->show();
}

void TUpdateForm::WorkBegin(qint64 expected)
{
    m_progressShift = 0;
    while ((expected >> m_progressShift) > INT_MAX)
        ++m_progressShift;
    // An unknown length (no maximum) makes the bar show that work goes on.
    ProgressBar1->setRange(0, expected < 0 ? 0 : static_cast<int>(expected >> m_progressShift));
    ProgressBar1->setValue(0);
}

void TUpdateForm::Work(qint64 received)
{
    if (ProgressBar1->maximum() > 0)
        ProgressBar1->setValue(static_cast<int>(std::min<qint64>(received >> m_progressShift, ProgressBar1->maximum())));
}

void TUpdateForm::WorkEnd()
{
    if (ProgressBar1->maximum() == 0)
        ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(ProgressBar1->maximum());
    UpdateButton->setEnabled(false);
}
