#include "app/StatistikTab.h"

#include "base/Clock.h"
#include "acquisition/TNic.h"
#include "app/DayBarChart.h"
#include "app/NamedWidget.h"
#include "config/DataPlan.h"
#include "config/TSprache.h"
#include "config/DetailText.h"
#include "reports/LocaleTexts.h"
#include "reports/StatistikPresets.h"
#include "reports/StatistikThread.h"
#include "reports/TypedDate.h"
#include "storage/Database.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// Every second data row (rows 2, 4, 6, ... counting the header as row 0) on
// a light grey, its text in black just inside the cell's corner.
class ZebraDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.row() % 2 == 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->save();
        painter->fillRect(option.rect, QColor(217, 216, 213));
        painter->setPen(Qt::black);
        painter->setFont(option.font);
        painter->drawText(option.rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }
};

// Digits, "." and "/", and whatever else separates the numbers of the user's short date.
QRegularExpressionValidator* dateKeys(QObject* parent)
{
    QString marks = QStringLiteral("./");
    const QString pattern = LocaleTexts().shortDatePattern();
    for (const QChar c : pattern)
        if (!c.isLetter() && !marks.contains(c))
            marks += c;
    return new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9%1]*").arg(QRegularExpression::escape(marks))), parent);
}

QLineEdit* totalField(QWidget* parent, const char* name)
{
    auto* e = namedWidget<QLineEdit>(parent, name);
    e->setReadOnly(true);
    e->setText(QStringLiteral("0"));
    return e;
}

} // namespace

StatistikTab::StatistikTab(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheet3"));
    Label20 = namedWidget<QLabel>(this, "Label20");
    Nic_ComboBox = namedWidget<QComboBox>(this, "Nic_ComboBox");
    SearchType_ComboBox = namedWidget<QComboBox>(this, "SearchType_ComboBox");
    for (int i = 0; i < 6; ++i)
        SearchType_ComboBox->addItem(QString());
    Label11 = namedWidget<QLabel>(this, "Label11");
    VonEdit = namedWidget<QLineEdit>(this, "VonEdit");
    Label12 = namedWidget<QLabel>(this, "Label12");
    BisEdit = namedWidget<QLineEdit>(this, "BisEdit");
    for (QLineEdit* e : {VonEdit, BisEdit})
        e->setValidator(dateKeys(e));
    Label21 = namedWidget<QLabel>(this, "Label21");
    Bericht_Update_Button = namedWidget<QPushButton>(this, "Bericht_Update_Button");
    StringGrid2 = namedWidget<QTableWidget>(this, "StringGrid2");
    StringGrid2->setColumnCount(3);
    StringGrid2->setRowCount(1);
    StringGrid2->verticalHeader()->hide();
    StringGrid2->horizontalHeader()->setDefaultSectionSize(190);
    // The chart beside it takes a quarter of the page: the three columns share what is left.
    StringGrid2->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    StringGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid2->setItemDelegate(new ZebraDelegate(StringGrid2));
    for (int c = 0; c < 3; ++c)
        StringGrid2->setHorizontalHeaderItem(c, new QTableWidgetItem());
    Label9 = namedWidget<QLabel>(this, "Label9");
    EditD1 = totalField(this, "EditD1");
    EditD2 = totalField(this, "EditD2");
    Label10 = namedWidget<QLabel>(this, "Label10");
    EditD5 = totalField(this, "EditD5");
    EditD6 = totalField(this, "EditD6");

    auto* top = new QHBoxLayout;
    top->addWidget(Label20);
    top->addWidget(Nic_ComboBox, 1);
    top->addWidget(SearchType_ComboBox);
    auto* range = new QHBoxLayout;
    range->addWidget(Label11);
    range->addWidget(VonEdit);
    range->addWidget(Label12);
    range->addWidget(BisEdit);
    range->addWidget(Label21, 1);
    range->addWidget(Bericht_Update_Button);
    auto* totals = new QGridLayout;
    totals->addWidget(Label9, 0, 0);
    totals->addWidget(EditD1, 0, 1);
    totals->addWidget(EditD2, 0, 2);
    totals->addWidget(Label10, 1, 0);
    totals->addWidget(EditD5, 1, 1);
    totals->addWidget(EditD6, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addLayout(range);
    Tagesbalken = new DayBarChart(this);
    auto* tableAndChart = new QHBoxLayout;
    tableAndChart->addWidget(StringGrid2, 3);
    tableAndChart->addWidget(Tagesbalken, 1);
    layout->addLayout(tableAndChart, 1);
    layout->addLayout(totals);

    connect(Nic_ComboBox, &QComboBox::activated, this, &StatistikTab::Nic_ComboBoxSelect);
    connect(SearchType_ComboBox, &QComboBox::activated, this, &StatistikTab::SearchType_ComboBoxSelect);
    connect(Bericht_Update_Button, &QPushButton::clicked, this, &StatistikTab::Bericht_Update_ButtonClick);
}

StatistikTab::~StatistikTab() { stopQuery(); }

void StatistikTab::applyLanguage(const TSprache& sprache)
{
    // A date as the fields take it, and in words of the user's language.
    const QString example = LocaleTexts().shortDate(QDate(2026, 12, 31));
    for (QLineEdit* e : {VonEdit, BisEdit}) {
        e->setPlaceholderText(example);
        e->setToolTip(fillDetail(sprache.text(QStringLiteral("TabSheet3"), QStringLiteral("DateHint")), {example}));
    }
    SearchType_ComboBox->clear();
    SearchType_ComboBox->addItems(sprache.searchTypeItems());
    // The chosen adapter's data plan: its current and its last period.
    m_firstPlanPreset = SearchType_ComboBox->count();
    SearchType_ComboBox->addItem(sprache.text(QStringLiteral("Tarife"), QStringLiteral("Preset_Aktuell")));
    SearchType_ComboBox->addItem(sprache.text(QStringLiteral("Tarife"), QStringLiteral("Preset_Letzter")));
    SearchType_ComboBox->setCurrentIndex(0);
    // The box now says own dates: a preset chosen before must not leave the fields shut.
    VonEdit->setEnabled(true);
    BisEdit->setEnabled(true);
}

void StatistikTab::TabSheet3Show()
{
    Nic_ComboBox->clear();
    if (m_context.entries)
        for (const TNic* nic : *m_context.entries)
            Nic_ComboBox->addItem(nic->Name + QStringLiteral(" (") + nic->Index + QLatin1Char(')'), nic->Index);
    Nic_ComboBox->setCurrentIndex(-1);
}

void StatistikTab::SearchType_ComboBoxSelect(int index)
{
    if (index == 0) {
        VonEdit->setEnabled(true);
        BisEdit->setEnabled(true);
        return;
    }
    VonEdit->setEnabled(false);
    BisEdit->setEnabled(false);
    const std::optional<PresetRange> range =
        index >= m_firstPlanPreset ? planRange(index == m_firstPlanPreset) : presetRange(index, m_context.clock->today());
    if (range) {
        const LocaleTexts texts;
        VonEdit->setText(texts.shortDate(range->from));
        BisEdit->setText(texts.shortDate(range->to));
    }
    Bericht_Update_ButtonClick();
}

std::optional<PresetRange> StatistikTab::planRange(bool current) const
{
    const QString table = Nic_ComboBox->currentData().toString();
    if (table.isEmpty())
        return std::nullopt;
    const QDate today = m_context.clock->today();
    for (const DataPlan& plan : readDataPlans(today)) {
        if (plan.table != table)
            continue;
        const PlanPeriod period = planPeriod(plan.period, today);
        const PlanPeriod shown = current ? period : previousPlanPeriod(plan.period, period);
        return PresetRange{shown.start, shown.end};
    }
    m_context.message(MessageSink::Icon::Information,
                      m_context.sprache->text(QStringLiteral("Tarife"), QStringLiteral("Kein_Tarif")));
    return std::nullopt;
}

void StatistikTab::Bericht_Update_ButtonClick()
{
    if (Nic_ComboBox->currentIndex() >= 0)
        Nic_ComboBoxSelect(Nic_ComboBox->currentIndex());
}

void StatistikTab::Nic_ComboBoxSelect(int index)
{
    if (m_context.isClosed())
        return;
    StatistikRequest request;
    request.today = m_context.clock->today();
    const QString von = VonEdit->text().trimmed();
    const QString bis = BisEdit->text().trimmed();
    if (!von.isEmpty() || !bis.isEmpty()) {
        const QString pattern = LocaleTexts().shortDatePattern();
        request.from = parseTypedDate(von, pattern, request.today);
        request.to = bis.isEmpty() ? request.from : parseTypedDate(bis, pattern, request.today);
        if (!request.from || !request.to) {
            m_context.message(MessageSink::Icon::Error, m_context.sprache->error(QStringLiteral("Error22")));
            return;
        }
    }
    if (Statistik)
        return;
    const QString table = Nic_ComboBox->itemData(index).toString();
    const auto& entries = *m_context.entries;
    const auto nic = std::find_if(entries.begin(), entries.end(), [&](const TNic* n) { return n->Index == table; });
    if (table.isEmpty() || nic == entries.end())
        return;
    request.table = table;
    // The running totals are read here, on the thread that counts them, with
    // the day they belong to.
    request.unbookedReceived = (*nic)->get_gesamt_received();
    request.unbookedSent = (*nic)->get_gesamt_send();
    if (m_context.tagesdatum && m_context.tagesdatum->isValid())
        request.today = *m_context.tagesdatum;

    Nic_ComboBox->setEnabled(false);
    Bericht_Update_Button->setEnabled(false);
    Statistik = new StatistikThread(Database::programDatabasePath(), request, *m_context.umrechnungsfaktor,
                                    *m_context.sprache, this);
    // Delivered on this thread; a run that was stopped is no longer `Statistik`
    // and shows nothing.
    StatistikThread* run = Statistik;
    connect(run, &StatistikThread::resultReady, this, [this, run](const StatistikView& v) {
        if (Statistik == run)
            showResult(v);
    });
    connect(run, &StatistikThread::queryFailed, this, [this, run](const QString& d) {
        if (Statistik == run)
            showFailure(d);
    });
    connect(run, &QThread::finished, this, [this, run] {
        if (Statistik == run)
            endRun();
    });
    run->start(QThread::IdlePriority);
}

void StatistikTab::showResult(const StatistikView& view)
{
    QTableWidget* grid = StringGrid2;
    grid->setUpdatesEnabled(false);
    grid->clearContents();
    // Without days the grid keeps one empty row under its header.
    grid->setRowCount(std::max<int>(1, static_cast<int>(view.rows.size())));
    for (int c = 0; c < 3; ++c)
        grid->horizontalHeaderItem(c)->setText(view.headers[static_cast<size_t>(c)]);
    for (int r = 0; r < static_cast<int>(view.rows.size()); ++r)
        for (int c = 0; c < 3; ++c)
            grid->setItem(r, c, new QTableWidgetItem(view.rows[static_cast<size_t>(r)][static_cast<size_t>(c)]));
    grid->setUpdatesEnabled(true);
    Tagesbalken->setDays(view.bars, view.base, m_context.sprache);
    EditD1->setText(view.averageReceived);
    EditD2->setText(view.averageSent);
    EditD5->setText(view.totalReceived);
    EditD6->setText(view.totalSent);
}

void StatistikTab::showFailure(const QString& detail)
{
    StringGrid2->clearContents();
    Tagesbalken->clear();
    m_context.message(MessageSink::Icon::Error,
                      m_context.sprache->error(QStringLiteral("Error29")) + QLatin1Char('\n') + detail);
}

void StatistikTab::endRun()
{
    Statistik->deleteLater();
    Statistik = nullptr;
    if (m_context.isClosed())
        return;
    Nic_ComboBox->setEnabled(true);
    Bericht_Update_Button->setEnabled(true);
    if (isVisible() && Nic_ComboBox->focusPolicy() != Qt::NoFocus)
        Nic_ComboBox->setFocus();
}

void StatistikTab::stopQuery()
{
    if (!Statistik)
        return;
    Statistik->requestInterruption();
    Statistik->wait();
    // Results still on their way find it no longer `Statistik`. Deleted later:
    // this may run inside one of its own deliveries (a message box's loop).
    Statistik->deleteLater();
    Statistik = nullptr;
    Nic_ComboBox->setEnabled(true);
    Bericht_Update_Button->setEnabled(true);
}
