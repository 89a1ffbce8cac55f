#include "app/PlanSettingsBox.h"

#include "app/NamedWidget.h"
#include "config/TSprache.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include <cmath>

namespace {

// The order of the period and direction lists, as the settings file names them.
const QStringList kZeitraeume{QStringLiteral("Tag"), QStringLiteral("Woche"), QStringLiteral("Monat"),
                              QStringLiteral("Tage")};
const QStringList kRichtungen{QStringLiteral("beide"), QStringLiteral("empfangen"), QStringLiteral("gesendet")};
const QString kSection = QStringLiteral("Tarife");

long double unitFactor(int base, int index)
{
    return std::pow(static_cast<long double>(base), index);
}

void setItems(QComboBox* box, const QStringList& items)
{
    const int selected = std::max(0, box->currentIndex());
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(std::min(selected, static_cast<int>(items.size()) - 1));
}

} // namespace

PlanSettingsBox::PlanSettingsBox(QWidget* parent)
    : QGroupBox(parent)
{
    setObjectName(QStringLiteral("Tarif_GroupBox"));
    setTitle(objectName());
    Tarif_CheckBox = namedWidget<QCheckBox>(this, "Tarif_CheckBox");
    Tarif_Label1 = namedWidget<QLabel>(this, "Tarif_Label1");
    Tarif_Limit_Edit = namedWidget<QLineEdit>(this, "Tarif_Limit_Edit");
    Tarif_Einheit_ComboBox = namedWidget<QComboBox>(this, "Tarif_Einheit_ComboBox");
    Tarif_Label2 = namedWidget<QLabel>(this, "Tarif_Label2");
    Tarif_Zeitraum_ComboBox = namedWidget<QComboBox>(this, "Tarif_Zeitraum_ComboBox");
    Tarif_Zeitraum_ComboBox->addItems(kZeitraeume);
    Tarif_Label3 = namedWidget<QLabel>(this, "Tarif_Label3");
    Tarif_Starttag_Edit = digitsEdit(this, "Tarif_Starttag_Edit");
    Tarif_Label4 = namedWidget<QLabel>(this, "Tarif_Label4");
    Tarif_Beginn_Edit = namedWidget<QLineEdit>(this, "Tarif_Beginn_Edit");
    Tarif_Beginn_Edit->setPlaceholderText(QStringLiteral("YYYY-MM-DD"));
    Tarif_Label5 = namedWidget<QLabel>(this, "Tarif_Label5");
    Tarif_Dauer_Edit = digitsEdit(this, "Tarif_Dauer_Edit");
    Tarif_Label6 = namedWidget<QLabel>(this, "Tarif_Label6");
    Tarif_Richtung_ComboBox = namedWidget<QComboBox>(this, "Tarif_Richtung_ComboBox");
    Tarif_Richtung_ComboBox->addItems(kRichtungen);
    Tarif_Label7 = namedWidget<QLabel>(this, "Tarif_Label7");
    Tarif_Warnstufen_Edit = namedWidget<QLineEdit>(this, "Tarif_Warnstufen_Edit");
    Tarif_Label8 = namedWidget<QLabel>(this, "Tarif_Label8");
    Tarif_Befehl_Edit = namedWidget<QLineEdit>(this, "Tarif_Befehl_Edit");
    Tarif_Button = namedWidget<QPushButton>(this, "Tarif_Button");

    auto* g = new QGridLayout(this);
    g->addWidget(Tarif_CheckBox, 0, 0, 1, 4);
    g->addWidget(Tarif_Label1, 1, 0);
    g->addWidget(Tarif_Limit_Edit, 1, 1);
    g->addWidget(Tarif_Einheit_ComboBox, 1, 2);
    g->addWidget(Tarif_Label2, 2, 0);
    g->addWidget(Tarif_Zeitraum_ComboBox, 2, 1);
    g->addWidget(Tarif_Label3, 3, 0);
    g->addWidget(Tarif_Starttag_Edit, 3, 1);
    g->addWidget(Tarif_Label4, 4, 0);
    g->addWidget(Tarif_Beginn_Edit, 4, 1);
    g->addWidget(Tarif_Label5, 4, 2);
    g->addWidget(Tarif_Dauer_Edit, 4, 3);
    g->addWidget(Tarif_Label6, 5, 0);
    g->addWidget(Tarif_Richtung_ComboBox, 5, 1);
    g->addWidget(Tarif_Label7, 6, 0);
    g->addWidget(Tarif_Warnstufen_Edit, 6, 1, 1, 3);
    g->addWidget(Tarif_Label8, 7, 0);
    g->addWidget(Tarif_Befehl_Edit, 7, 1, 1, 3);
    g->addWidget(Tarif_Button, 8, 3);
    connect(Tarif_Zeitraum_ComboBox, &QComboBox::currentIndexChanged, this, &PlanSettingsBox::showPeriodFields);
    showPeriodFields();
}

void PlanSettingsBox::applyLanguage(const TSprache& sprache, int base)
{
    setItems(Tarif_Einheit_ComboBox, base == 1000 ? sprache.units1000() : sprache.units1024());
    QStringList periods;
    for (const QString& key : kZeitraeume)
        periods << sprache.text(kSection, QStringLiteral("Zeitraum_") + key);
    setItems(Tarif_Zeitraum_ComboBox, periods);
    QStringList directions;
    for (const QString& key : kRichtungen)
        directions << sprache.text(kSection, QStringLiteral("Richtung_") + key);
    setItems(Tarif_Richtung_ComboBox, directions);
}

void PlanSettingsBox::showPeriodFields()
{
    const int period = Tarif_Zeitraum_ComboBox->currentIndex();
    for (QWidget* w : {static_cast<QWidget*>(Tarif_Label3), static_cast<QWidget*>(Tarif_Starttag_Edit)})
        w->setEnabled(period == 2);
    for (QWidget* w : {static_cast<QWidget*>(Tarif_Label4), static_cast<QWidget*>(Tarif_Beginn_Edit),
                       static_cast<QWidget*>(Tarif_Label5), static_cast<QWidget*>(Tarif_Dauer_Edit)})
        w->setEnabled(period == 3);
}

void PlanSettingsBox::showPlan(const DataPlanText& text, int base)
{
    bool ok = false;
    const qulonglong limit = text.limit.trimmed().toULongLong(&ok);
    Tarif_CheckBox->setChecked(ok && limit > 0);
    // The largest unit the limit fills at least once.
    int unit = 0;
    const int units = std::max(1, Tarif_Einheit_ComboBox->count());
    while (ok && unit + 1 < units && static_cast<long double>(limit) >= unitFactor(base, unit + 1))
        ++unit;
    Tarif_Einheit_ComboBox->setCurrentIndex(unit);
    Tarif_Limit_Edit->setText(ok && limit > 0 ? QLocale().toString(static_cast<double>(limit / unitFactor(base, unit)),
                                                                    'f', 2)
                                              : QString());
    Tarif_Zeitraum_ComboBox->setCurrentIndex(std::max(0, static_cast<int>(kZeitraeume.indexOf(text.zeitraum))));
    Tarif_Starttag_Edit->setText(text.starttag);
    Tarif_Beginn_Edit->setText(text.beginn);
    Tarif_Dauer_Edit->setText(text.dauer);
    Tarif_Richtung_ComboBox->setCurrentIndex(std::max(0, static_cast<int>(kRichtungen.indexOf(text.richtung))));
    Tarif_Warnstufen_Edit->setText(text.warnstufen);
    Tarif_Befehl_Edit->setText(text.befehl);
    showPeriodFields();
}

bool PlanSettingsBox::planOn() const
{
    return Tarif_CheckBox->isChecked();
}

DataPlanText PlanSettingsBox::planText(int base) const
{
    DataPlanText t;
    bool ok = false;
    const double typed = QLocale().toDouble(Tarif_Limit_Edit->text().trimmed(), &ok);
    const long double bytes = ok ? std::roundl(typed * unitFactor(base, std::max(0, Tarif_Einheit_ComboBox->currentIndex())))
                                 : -1;
    // Whole bytes below 2^63; anything else stays empty and is refused as no number.
    if (ok && bytes >= 0 && bytes < 9223372036854775808.0L)
        t.limit = QString::number(static_cast<qulonglong>(bytes));
    t.zeitraum = kZeitraeume.value(Tarif_Zeitraum_ComboBox->currentIndex());
    t.starttag = Tarif_Starttag_Edit->text();
    t.beginn = Tarif_Beginn_Edit->text();
    t.dauer = Tarif_Dauer_Edit->text();
    t.richtung = kRichtungen.value(Tarif_Richtung_ComboBox->currentIndex());
    t.warnstufen = Tarif_Warnstufen_Edit->text();
    t.befehl = Tarif_Befehl_Edit->text();
    return t;
}
