#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class TSprache;
class UpdateService;

// The small update window at the bottom right of the screen: status text,
// update and install buttons, download progress. It never takes the focus.
// Closing it during a transfer aborts the transfer and keeps it open;
// otherwise it is freed.
class TUpdateForm : public QWidget
{
    Q_OBJECT
public:
    TUpdateForm(UpdateService& service, const TSprache& sprache);

    QLabel* Label1;
    QPushButton* UpdateButton;
    QPushButton* InstallButton;
    QProgressBar* ProgressBar1;

    // Shows the window, or brings it to the front when it is shown already.
    void showOnTop();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void UpdateButtonClick();
    void offerUpdate(const QString& caption, const QString& hint);
    void offerInstall(const QString& caption);
    void WorkBegin(qint64 expected);
    void Work(qint64 received);
    void WorkEnd();

    UpdateService& m_service;
    QString m_caption;
    int m_progressShift = 0;   // progress in units of 2^shift bytes, so it fits the bar
};
