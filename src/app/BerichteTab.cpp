#include "app/BerichteTab.h"

#include "acquisition/TNic.h"
#include "app/NamedWidget.h"
#include "base/ProgramFolder.h"
#include "config/Settings.h"
#include "config/TSprache.h"
#include "desktop/UrlOpener.h"
#include "reports/TBericht.h"
#include "storage/Database.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QProgressBar* progressBar(QWidget* parent, const char* name)
{
    auto* bar = namedWidget<QProgressBar>(parent, name);
    bar->setRange(0, 100);
    bar->setValue(0);
    return bar;
}

} // namespace

BerichteTab::BerichteTab(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheet4"));
    GroupBox5 = namedWidget<QGroupBox>(this, "GroupBox5");
    Bericht_Tagesbericht_CheckBox = namedWidget<QCheckBox>(GroupBox5, "Bericht_Tagesbericht_CheckBox");
    Bericht_Monatsbericht_CheckBox = namedWidget<QCheckBox>(GroupBox5, "Bericht_Monatsbericht_CheckBox");
    Bericht_Jahresbericht_CheckBox = namedWidget<QCheckBox>(GroupBox5, "Bericht_Jahresbericht_CheckBox");
    Bericht_OwnRange_CheckBox = namedWidget<QCheckBox>(GroupBox5, "Bericht_OwnRange_CheckBox");
    Bericht_OwnRange_From_Edit = digitsEdit(GroupBox5, "Bericht_OwnRange_From_Edit");
    Bericht_OwnRange_To_Edit = digitsEdit(GroupBox5, "Bericht_OwnRange_To_Edit");
    Label17 = namedWidget<QLabel>(GroupBox5, "Label17");
    Berichte_ComboBox = namedWidget<QComboBox>(GroupBox5, "Berichte_ComboBox");
    // Nine nameless units until the page is first shown.
    for (int i = 0; i < 9; ++i)
        Berichte_ComboBox->addItem(QString());
    Bericht_AutoBericht = namedWidget<QCheckBox>(this, "Bericht_AutoBericht");
    Bericht_DayOfAutoBericht_Edit = digitsEdit(this, "Bericht_DayOfAutoBericht_Edit");
    Bericht_DayOfAutoBericht_Edit->setMaxLength(2);
    Label22 = namedWidget<QLabel>(this, "Label22");
    Berichte_Pfad_Edit = namedWidget<QLineEdit>(this, "Berichte_Pfad_Edit");
    BitBtn1 = namedWidget<QPushButton>(this, "BitBtn1");
    BitBtn1->setText(QStringLiteral("…"));
    BitBtn1->setMaximumWidth(40);
    Berichte_Erstellen_Button = namedWidget<QPushButton>(this, "Berichte_Erstellen_Button");
    Berichte_Anzeigen_Button = namedWidget<QPushButton>(this, "Berichte_Anzeigen_Button");
    Berichte_RichEdit = namedWidget<QTextEdit>(this, "Berichte_RichEdit");
    Berichte_RichEdit->setReadOnly(true);
    Berichte_RichEdit->setLineWrapMode(QTextEdit::NoWrap);
    Berichte_ESPG = progressBar(this, "Berichte_ESPG");
    Berichte_GDPB = progressBar(this, "Berichte_GDPB");

    auto* content = new QGridLayout(GroupBox5);
    content->addWidget(Bericht_Tagesbericht_CheckBox, 0, 0);
    content->addWidget(Bericht_Monatsbericht_CheckBox, 0, 1);
    content->addWidget(Bericht_Jahresbericht_CheckBox, 0, 2);
    auto* ownRange = new QHBoxLayout;
    ownRange->addWidget(Bericht_OwnRange_CheckBox);
    ownRange->addWidget(Bericht_OwnRange_From_Edit);
    ownRange->addWidget(new QLabel(QStringLiteral("–"), GroupBox5));
    ownRange->addWidget(Bericht_OwnRange_To_Edit);
    ownRange->addStretch(1);
    content->addLayout(ownRange, 1, 0, 1, 2);
    auto* unit = new QHBoxLayout;
    unit->addWidget(Label17);
    unit->addWidget(Berichte_ComboBox, 1);
    content->addLayout(unit, 1, 2);
    for (QLineEdit* e : {Bericht_OwnRange_From_Edit, Bericht_OwnRange_To_Edit, Bericht_DayOfAutoBericht_Edit})
        e->setMaximumWidth(40);

    auto* file = new QHBoxLayout;
    file->addWidget(Label22);
    file->addWidget(Berichte_Pfad_Edit, 1);
    file->addWidget(BitBtn1);
    auto* actions = new QHBoxLayout;
    actions->addWidget(Bericht_AutoBericht);
    actions->addWidget(Bericht_DayOfAutoBericht_Edit);
    actions->addStretch(1);
    actions->addWidget(Berichte_Erstellen_Button);
    actions->addWidget(Berichte_Anzeigen_Button);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(GroupBox5);
    layout->addLayout(file);
    layout->addLayout(actions);
    layout->addWidget(Berichte_RichEdit, 1);
    layout->addWidget(Berichte_ESPG);
    layout->addWidget(Berichte_GDPB);

    connect(Berichte_Erstellen_Button, &QPushButton::clicked, this, &BerichteTab::Berichte_Erstellen_ButtonClick);
    connect(Berichte_Anzeigen_Button, &QPushButton::clicked, this, &BerichteTab::Berichte_Anzeigen_ButtonClick);
    connect(BitBtn1, &QPushButton::clicked, this, &BerichteTab::BitBtn1Click);
}

BerichteTab::~BerichteTab() { stopReport(); }

void BerichteTab::setBerichte(const Berichte& b)
{
    Bericht_AutoBericht->setChecked(b.autoBericht);
    Bericht_DayOfAutoBericht_Edit->setText(b.dayOfAutoBericht);
    Berichte_ComboBox->setCurrentIndex(b.comboBoxIndex);
    Bericht_Tagesbericht_CheckBox->setChecked(b.tagesbericht);
    Bericht_Monatsbericht_CheckBox->setChecked(b.monatsbericht);
    Bericht_Jahresbericht_CheckBox->setChecked(b.jahresbericht);
    Berichte_Pfad_Edit->setText(b.pfad);
    Bericht_OwnRange_CheckBox->setChecked(b.eigenerbericht);
    Bericht_OwnRange_From_Edit->setText(b.eigenerberichtVon);
    Bericht_OwnRange_To_Edit->setText(b.eigenerberichtBis);
}

Berichte BerichteTab::berichte() const
{
    Berichte b;
    b.autoBericht = Bericht_AutoBericht->isChecked();
    b.dayOfAutoBericht = Bericht_DayOfAutoBericht_Edit->text();
    b.comboBoxIndex = Berichte_ComboBox->currentIndex();
    b.tagesbericht = Bericht_Tagesbericht_CheckBox->isChecked();
    b.monatsbericht = Bericht_Monatsbericht_CheckBox->isChecked();
    b.jahresbericht = Bericht_Jahresbericht_CheckBox->isChecked();
    b.pfad = Berichte_Pfad_Edit->text();
    b.eigenerbericht = Bericht_OwnRange_CheckBox->isChecked();
    b.eigenerberichtVon = Bericht_OwnRange_From_Edit->text();
    b.eigenerberichtBis = Bericht_OwnRange_To_Edit->text();
    return b;
}

void BerichteTab::TabSheet4Show()
{
    // The names follow the conversion base; the index keeps its meaning.
    if (m_context.isClosed())
        return;
    const int selected = Berichte_ComboBox->currentIndex();
    const TSprache& sprache = *m_context.sprache;
    Berichte_ComboBox->clear();
    Berichte_ComboBox->addItems(*m_context.umrechnungsfaktor == 1000 ? sprache.units1000() : sprache.units1024());
    Berichte_ComboBox->setCurrentIndex(selected);
}

void BerichteTab::Berichte_Erstellen_ButtonClick()
{
    if (Berichte_ComboBox->currentIndex() < 0 || Bericht || m_context.isClosed())
        return;
    std::vector<BerichtAdapter> adapters;
    for (const TNic* nic : *m_context.entries)
        adapters.push_back({nic->Name, nic->Index, nic->bericht});
    // The name from the index and the base in force: the box may still show none,
    // or the names of the base before a change.
    const int base = *m_context.umrechnungsfaktor;
    const BerichtOptions options = berichtOptions(
        berichte(), base, reportUnitName(*m_context.sprache, base, Berichte_ComboBox->currentIndex()));
    Bericht = new TBericht(Database::programDatabasePath(), std::move(adapters), options, *m_context.sprache,
                           m_context.clock, this);
    // Delivered on this thread; a run that was stopped is no longer `Bericht`.
    TBericht* run = Bericht;
    connect(run, &TBericht::logLine, this, [this, run](const QString& line) {
        if (Bericht == run)
            appendLog(line);
    });
    connect(run, &TBericht::adapterProgress, this, [this, run](int position, int maximum) {
        if (Bericht == run) {
            // An adapter without rows gets an empty bar: a 0..0 range is Qt's endless busy animation.
            Berichte_ESPG->setMaximum(std::max(maximum, 1));
            Berichte_ESPG->setValue(position);
        }
    });
    connect(run, &TBericht::overallProgress, this, [this, run](int position, int maximum) {
        if (Bericht == run) {
            Berichte_GDPB->setMaximum(maximum);
            Berichte_GDPB->setValue(position);
        }
    });
    connect(run, &QThread::finished, this, [this, run] {
        if (Bericht == run) {
            Bericht = nullptr;
            run->deleteLater();
        }
    });
    run->start(QThread::IdlePriority);
}

void BerichteTab::appendLog(const QString& line)
{
    // As plain text: a path or a name is never taken for markup.
    QTextCursor cursor(Berichte_RichEdit->document());
    cursor.movePosition(QTextCursor::End);
    if (!Berichte_RichEdit->document()->isEmpty())
        cursor.insertBlock();
    cursor.insertText(line);
    Berichte_RichEdit->ensureCursorVisible();
}

void BerichteTab::BitBtn1Click()
{
    if (m_context.isClosed())
        return;
    const QString filter = m_context.sprache->dialogFilter(2);
    QString chosen;
    if (m_context.chooseSaveFile) {
        chosen = m_context.chooseSaveFile(programFolder(), filter);
    } else {
        QFileDialog dialog(this, QString(), programFolder(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("htm"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().first();
    }
    if (m_context.isClosed() || chosen.isEmpty())
        return;
    Berichte_Pfad_Edit->setText(chosen);
}

void BerichteTab::Berichte_Anzeigen_ButtonClick()
{
    const QString path = Berichte_Pfad_Edit->text();
    if (!path.isEmpty() && QFileInfo(path).isFile() && m_context.opener)
        m_context.opener->open(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

void BerichteTab::stopReport()
{
    if (!Bericht)
        return;
    Bericht->requestInterruption();
    Bericht->wait();
    Bericht->deleteLater();
    Bericht = nullptr;
}
