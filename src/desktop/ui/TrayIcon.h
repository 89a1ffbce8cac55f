#pragma once

#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

class QAction;
class QMenu;
class QWidget;

// The program's icon in the notification area with its menu. Its picture
// shows two bars for the current receive and send rate; its tooltip the
// product, version and today's totals.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    struct Balloon
    {
        QString title;
        QString text;
        QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::NoIcon;
        int seconds = 0;
        bool shown = false;   // the icon was there to show it
    };

    // The menu is a child of `owner`, where the language texts find its entries.
    explicit TrayIcon(QWidget* owner);
    ~TrayIcon() override;

    // Shows the icon when the desktop has a notification area.
    void showIfAvailable(bool available);
    void hide();
    bool isShown() const;

    void ShowBalloonHint(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon icon, int seconds);
    const Balloon& lastBalloon() const { return m_lastBalloon; }

    // Bar heights 0 to 1; the picture changes only when a bar changes by a pixel step.
    void setLevels(double receive, double send);
    void setToolTip(const QString& text);
    QString toolTip() const;
    QIcon icon() const;

    QSystemTrayIcon* CoolTrayIcon1;
    QMenu* TrayIconPopupMenu;
    QAction* allesMinimieren1;
    QAction* Wiederherstellen1;
    QAction* Beenden2;

signals:
    // A left click on the icon.
    void clicked();

private:
    int m_receiveStep = -1;
    int m_sendStep = -1;
    Balloon m_lastBalloon;
};
