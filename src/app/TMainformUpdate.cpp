// The main window's part of the update service: the menu entry, the update
// window, the automatic check of the day check, the proxy dialog, and the
// stop at shutdown.
#include "app/TMainform.h"

#include "base/Clock.h"
#include "app/EinstellungenTab.h"
#include "config/TSprache.h"
#include "config/TVerInfo.h"
#include "update/CurlHttpClient.h"
#include "update/ProxyEingabe.h"
#include "update/UpdateService.h"
#include "update/ui/TUpdateForm.h"

#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

UpdateService* TMainform::updateService() const { return m_update.get(); }

TUpdateForm* TMainform::updateForm() const { return m_updateForm; }

void TMainform::setUpHttp()
{
    if (m_services.http) {
        m_http = m_services.http;
    } else {
        m_ownHttp = std::make_unique<CurlHttpClient>();
        m_http = m_ownHttp.get();
    }
    const Einstellungen& e = m_einstellungen;
    m_http->setProxy({e.proxyServer, e.proxyPort, e.proxyAuthenticate, e.proxyPassword});
}

void TMainform::setUpUpdateService()
{
    m_update = std::make_unique<UpdateService>(*m_http, *m_verInfo, *m_sprache, *m_services.clock,
                                               m_einstellungen.lastupdate);
    // Queued: the service is still inside its own handler when the updater starts.
    connect(m_update.get(), &UpdateService::closeRequested, this, &QWidget::close, Qt::QueuedConnection);
}

void TMainform::ensureUpdateForm()
{
    if (!m_updateForm)
        m_updateForm = new TUpdateForm(*m_update, *m_sprache);
}

void TMainform::Update1Click()
{
    if (!m_update || m_closed)
        return;
    ensureUpdateForm();
    m_update->checkManually();
}

void TMainform::startAutomaticUpdate()
{
    const int mode = TabSheet2->Update_ComboBox->currentIndex();
    if (!m_update || !m_update->automaticDue(mode))
        return;
    ensureUpdateForm();   // stays hidden unless a newer version turns up
    m_update->checkAutomatically(mode);
}

void TMainform::stopUpdates()
{
    // The thread uses the HTTP client: it ends before anything it uses goes.
    if (m_update)
        m_update->shutdown();
    delete m_updateForm;
    m_update.reset();
}

QString TMainform::inputBox(const QString& caption, const QString& prompt, const QString& initial, bool secret)
{
    if (m_closed)
        return initial;   // no more boxes once the program is closing
    if (m_services.inputBox)
        return m_services.inputBox(caption, prompt, initial, secret);
    bool ok = false;
    const QString text = QInputDialog::getText(this, caption, prompt, secret ? QLineEdit::Password : QLineEdit::Normal,
                                               initial, &ok);
    return ok ? text : initial;
}

void TMainform::ProxyButtonClick()
{
    const ProxyInput input = askProxySettings(
        *m_sprache, [this](const QString& caption, const QString& prompt, const QString& initial, bool secret) {
            return inputBox(caption, prompt, initial, secret);
        });
    if (m_closed)
        return;
    if (!input.settings) {
        message(MessageSink::Icon::Error, input.error);
        return;
    }
    m_http->setProxy(*input.settings);
    const bool save = m_services.messages
        && m_services.messages->ask(m_sprache->text(QStringLiteral("Proxy"), QStringLiteral("Proxy9")));
    if (m_closed)
        return;
    if (!save) {
        m_http->setProxy({});   // for this run only; the file keeps what it held
        return;
    }
    const ProxySettings& p = *input.settings;
    m_einstellungen.proxyServer = p.server;
    m_einstellungen.proxyPort = p.port;
    m_einstellungen.proxyAuthenticate = p.authenticate;
    m_einstellungen.proxyPassword = p.password;
    if (!ProxySpeichern(m_einstellungen))
        message(MessageSink::Icon::Error, m_sprache->error(QStringLiteral("Error14")));
}
