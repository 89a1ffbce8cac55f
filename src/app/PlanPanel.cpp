#include "app/PlanPanel.h"

#include "app/PlanBar.h"

#include <QGridLayout>
#include <QLabel>

namespace {

void setTextIfNew(QLabel* label, const QString& text)
{
    if (label->text() != text)
        label->setText(text);
}

} // namespace

PlanPanel::PlanPanel(QWidget* parent)
    : QWidget(parent)
    , m_grid(new QGridLayout(this))
{
    setObjectName(QStringLiteral("Tarife"));
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setVerticalSpacing(2);
    hide();
}

void PlanPanel::setRows(const std::vector<Row>& rows)
{
    while (m_rows.size() > rows.size()) {
        const Widgets w = m_rows.back();
        m_rows.pop_back();
        delete w.name;
        delete w.line;
        delete w.bar;
    }
    while (m_rows.size() < rows.size()) {
        const int r = static_cast<int>(m_rows.size());
        Widgets w{new QLabel(this), new QLabel(this), new PlanBar(this)};
        m_grid->addWidget(w.name, r, 0);
        m_grid->addWidget(w.bar, r, 1);
        m_grid->addWidget(w.line, r, 2);
        m_grid->setColumnStretch(1, 1);
        m_rows.push_back(w);
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        setTextIfNew(m_rows[i].name, rows[i].name);
        setTextIfNew(m_rows[i].line, rows[i].line);
        m_rows[i].bar->setLevel(rows[i].fraction, rows[i].severity);
    }
    setVisible(!rows.empty());
}

void PlanPanel::setLevel(int row, double fraction, int severity)
{
    if (row >= 0 && row < rowCount())
        m_rows[static_cast<size_t>(row)].bar->setLevel(fraction, severity);
}

const PlanBar* PlanPanel::bar(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[static_cast<size_t>(row)].bar : nullptr;
}

QString PlanPanel::line(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[static_cast<size_t>(row)].line->text() : QString();
}
