#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

// One running monitor per user and program folder. The first start holds a
// lock file (a stale one left by a killed process does not count) and listens
// for later starts, which ask it to raise its window and then end.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString& programFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    bool tryLock();
    // Asks the running instance to show its window; false when none answered.
    bool askRunningToRaise() const;
    void listen();

signals:
    void raiseRequested();

private:
    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};
