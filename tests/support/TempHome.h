#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh program folder for one test; NETZPEGEL_HOME points at it while it lives.
class TempHome
{
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    // Folder with a trailing separator, as the program addresses it.
    QString folder() const;
    QString file(const QString& name) const;
    void write(const QString& name, const QByteArray& content) const;
    QByteArray read(const QString& name) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    bool m_hadPrevious;
};
