// The main window's data plans: the chosen adapter's plan on the settings page, the plans'
// bars on the live page and in the tray's tooltip, and a crossed level on the desktop.
#include "app/TMainform.h"

#include "app/EinstellungenTab.h"
#include "app/LiveDatenTab.h"
#include "app/PlanPanel.h"
#include "app/PlanSettingsBox.h"
#include "base/Clock.h"
#include "config/DataPlan.h"
#include "config/IniFile.h"
#include "config/TSprache.h"
#include "desktop/DesktopNotification.h"
#include "desktop/ui/TrayIcon.h"
#include "engine/PlanAlertText.h"

#include <QCheckBox>

#include <algorithm>
#include <QComboBox>
#include <QPushButton>

void TMainform::connectPlans()
{
    m_notification = new DesktopNotification(this);
    connect(m_engine, &TrafficEngine::planAlert, this, &TMainform::showPlanAlert);
    // No notification service answered: the tray's balloon says it.
    connect(m_notification, &DesktopNotification::failed, this, [this](const QString& summary, const QString& body) {
        if (!m_closed)
            Tray->ShowBalloonHint(summary, body, QSystemTrayIcon::Warning, 30);
    });
}

void TMainform::showPlanOfEntry(int k)
{
    if (k < 0 || k >= static_cast<int>(v.size()))
        return;
    DataPlanText text;
    try {
        text = readDataPlanText(v[k]->Index);
    } catch (const IniError&) {
        text.limit = QStringLiteral("0"); // the settings file cannot be read: nothing to show
    }
    TabSheet2->Tarif_GroupBox->showPlan(text, Umrechnungsfaktor);
}

void TMainform::Tarif_ButtonClick()
{
    const int k = selectedEntry();
    if (k < 0)
        return;
    const QString table = v[k]->Index;
    const PlanSettingsBox* box = TabSheet2->Tarif_GroupBox;
    bool saved = false;
    if (!box->planOn()) {
        saved = disableDataPlan(table);
    } else {
        DataPlanText text = box->planText(Umrechnungsfaktor);
        try {
            text.gemeldet = readDataPlanText(table).gemeldet; // what this period alerted stays alerted
        } catch (const IniError&) {
        }
        DataPlan plan;
        plan.table = table;
        const QString wrong = parseDataPlan(text, m_services.clock->today(), plan);
        if (!wrong.isEmpty()) {
            message(MessageSink::Icon::Error, m_sprache->text(QStringLiteral("Tarife"), wrong));
            return;
        }
        saved = writeDataPlan(plan);
    }
    message(saved ? MessageSink::Icon::Information : MessageSink::Icon::Error,
            m_sprache->error(saved ? QStringLiteral("Error13") : QStringLiteral("Error14")));
    if (!m_closed)
        m_engine->reloadPlans();
}

void TMainform::showPlanAlert(const PlanAlert& alert)
{
    m_notification->send(planAlertSummary(alert, *m_sprache), planAlertBody(alert, *m_sprache, Umrechnungsfaktor));
}

void TMainform::showPlans(bool texts)
{
    PlanPanel* panel = TabSheet1->Tarife;
    for (size_t i = 0; i < m_planUsages.size() && !texts; ++i) {
        const PlanUsage& u = m_planUsages[i];
        const DataPlan* plan = m_engine->plans().plan(u.table);
        panel->setLevel(static_cast<int>(i), u.percent / 100, plan ? u.severity(plan->warnstufen) : 0);
    }
    if (!texts)
        return;
    std::vector<PlanPanel::Row> rows;
    for (const PlanUsage& u : m_planUsages) {
        const DataPlan* plan = m_engine->plans().plan(u.table);
        rows.push_back({u.name, planUsageLine(u, *m_sprache, Umrechnungsfaktor), u.percent / 100,
                        plan ? u.severity(plan->warnstufen) : 0});
    }
    panel->setRows(rows);
}

void TMainform::measurePlans(bool showing)
{
    if (m_engine->plans().empty() && m_planUsages.empty())
        return;
    // Read once: a local time costs a look at the system's time zone.
    const QDateTime now = m_services.clock->now();
    m_planUsages = m_engine->plans().usages(now, m_engine->Tagesdatum);
    // The bars follow every tick; the texts change slowly and cost their layout, so they are
    // written every few seconds, and at once when plans come or go.
    const bool planned = TabSheet1->Tarife->rowCount() != static_cast<int>(m_planUsages.size());
    const bool texts = planned || !m_planTextsDue.isValid() || now >= m_planTextsDue;
    if (texts) {
        m_planTextsDue = now.addSecs(5);
        const auto nearest = std::max_element(m_planUsages.begin(), m_planUsages.end(),
                                              [](const PlanUsage& a, const PlanUsage& b) { return a.percent < b.percent; });
        m_nearestPlanLine = nearest == m_planUsages.end()
            ? QString()
            : nearest->name + QStringLiteral(": ") + planUsageLine(*nearest, *m_sprache, Umrechnungsfaktor);
    }
    if (showing || planned)
        showPlans(texts);
}
