// The main window and the fleet's central database: the sender that follows the saved
// setting, and the settings tab's test of a connection string.
#include "app/TMainform.h"

#include "app/EinstellungenTab.h"
#include "config/TSprache.h"
#include "engine/CentralCheck.h"
#include "engine/CentralSender.h"
#include "engine/CentralTexts.h"

#include <QLineEdit>
#include <QPushButton>

void TMainform::applyCentralSetting()
{
    const QString wanted = m_einstellungen.zentrale;
    if (!m_started || m_closed || (m_central && wanted == m_centralConnection))
        return;
    stopCentral();
    m_centralConnection = wanted;
    if (wanted.isEmpty())
        return;
    CentralSender::Options options;
    options.connectionString = wanted;
    m_central = std::make_unique<CentralSender>(*m_engine, m_sprache.get(), options);
}

void TMainform::stopCentral()
{
    m_central.reset();
    m_centralConnection.clear();
}

void TMainform::ZentraleTest_ButtonClick()
{
    const QString text = TabSheet2->Zentrale_Edit->text().trimmed();
    if (text.isEmpty()) {
        message(MessageSink::Icon::Information, CentralTexts::text(m_sprache.get(), QStringLiteral("Leer")));
        return;
    }
    if (m_centralCheck)
        return; // one test at a time; the button is off meanwhile
    QPushButton* button = TabSheet2->ZentraleTest_Button;
    button->setEnabled(false);
    m_centralCheck = new CentralCheck(text, *m_sprache, {}, this);
    connect(m_centralCheck, &CentralCheck::checked, this, [this](bool ok, const QString& result) {
        message(ok ? MessageSink::Icon::Information : MessageSink::Icon::Error, result);
    });
    connect(m_centralCheck, &QThread::finished, this, [this, button] {
        button->setEnabled(true);
        if (m_centralCheck)
            m_centralCheck->deleteLater();
    });
    m_centralCheck->start();
}
