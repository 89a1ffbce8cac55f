#include "desktop/ui/TrayIcon.h"

#include "desktop/ProgramIcon.h"

#include <QAction>
#include <QMenu>
#include <QPixmap>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

// Steps of a bar: one per pixel of the largest icon drawn.
constexpr int kSteps = 20;

QIcon iconWithLevels(double receive, double send)
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(paintProgramIcon(size, receive, send)));
    return icon;
}

int step(double level)
{
    return static_cast<int>(std::lround(std::clamp(level, 0.0, 1.0) * kSteps));
}

} // namespace

TrayIcon::TrayIcon(QWidget* owner)
    : QObject(owner)
{
    setObjectName(QStringLiteral("TrayIcon"));
    TrayIconPopupMenu = new QMenu(owner);
    TrayIconPopupMenu->setObjectName(QStringLiteral("TrayIconPopupMenu"));
    allesMinimieren1 = TrayIconPopupMenu->addAction(QStringLiteral("allesMinimieren1"));
    allesMinimieren1->setObjectName(QStringLiteral("allesMinimieren1"));
    Wiederherstellen1 = TrayIconPopupMenu->addAction(QStringLiteral("Wiederherstellen1"));
    Wiederherstellen1->setObjectName(QStringLiteral("Wiederherstellen1"));
    TrayIconPopupMenu->addSeparator();
    Beenden2 = TrayIconPopupMenu->addAction(QStringLiteral("Beenden2"));
    Beenden2->setObjectName(QStringLiteral("Beenden2"));

    CoolTrayIcon1 = new QSystemTrayIcon(this);
    CoolTrayIcon1->setObjectName(QStringLiteral("CoolTrayIcon1"));
    CoolTrayIcon1->setContextMenu(TrayIconPopupMenu);
    setLevels(0, 0);
    connect(CoolTrayIcon1, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            emit clicked();
    });
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::showIfAvailable(bool available)
{
    if (available)
        CoolTrayIcon1->show();
}

void TrayIcon::hide()
{
    CoolTrayIcon1->hide();
}

bool TrayIcon::isShown() const
{
    return CoolTrayIcon1->isVisible();
}

void TrayIcon::ShowBalloonHint(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon icon,
                               int seconds)
{
    m_lastBalloon = {title, text, icon, seconds, CoolTrayIcon1->isVisible()};
    if (m_lastBalloon.shown)
        CoolTrayIcon1->showMessage(title, text, icon, seconds * 1000);
}

void TrayIcon::setLevels(double receive, double send)
{
    const int r = step(receive);
    const int s = step(send);
    if (r == m_receiveStep && s == m_sendStep)
        return;
    m_receiveStep = r;
    m_sendStep = s;
    CoolTrayIcon1->setIcon(iconWithLevels(double(r) / kSteps, double(s) / kSteps));
}

void TrayIcon::setToolTip(const QString& text)
{
    if (CoolTrayIcon1->toolTip() != text)
        CoolTrayIcon1->setToolTip(text);
}

QString TrayIcon::toolTip() const
{
    return CoolTrayIcon1->toolTip();
}

QIcon TrayIcon::icon() const
{
    return CoolTrayIcon1->icon();
}
