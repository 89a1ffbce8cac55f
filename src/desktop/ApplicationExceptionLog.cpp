#include "desktop/ApplicationExceptionLog.h"

#include "config/TVerInfo.h"
#include "base/ExceptionLog.h"

#include <QLocale>

namespace {

QString number(long double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(static_cast<double>(value), 'g', 15);
}

} // namespace

QStringList applicationExceptionHead(const ApplicationState& state, const QString& message,
                                     const QString& exceptionClass, const QString& senderClass)
{
    QStringList lines{QStringLiteral(" "), logSeparatorLine(), logTimeStamp()};
    if (state.verInfo) {
        lines << QStringLiteral("file_version:") + state.verInfo->FileVersion()
              << QStringLiteral("product_version:") + state.verInfo->ProductVersion()
              << QStringLiteral("Mainform->Caption:") + state.caption
              << QStringLiteral("file_comment:") + state.verInfo->Comments()
              << QStringLiteral("db_version:") + state.verInfo->dbversion();
    } else {
        lines << QStringLiteral("Mainform->Sprache = NULL");
    }
    lines << QStringLiteral("Fehlermeldung:") + message
          << QStringLiteral("E->ClassName():") + exceptionClass
          << QStringLiteral("Sender->ClassName():") + senderClass
          // No method is ever found at an exception object's address.
          << QStringLiteral("E->MethodName(E):");
    return lines;
}

QStringList applicationExceptionState(const ApplicationState& state)
{
    QStringList lines;
    if (!state.hasMainWindow)
        return lines;
    const int count = static_cast<int>(state.entries.size());
    lines << QStringLiteral("Mainform->PageControl1->ActivePage->Name:") + state.activePageName
          << QStringLiteral("Mainform->PageControl1->TabIndex:") + QString::number(state.activePageIndex)
          << QStringLiteral(" ")
          << QStringLiteral("(int)v.size:") + QString::number(count)
          << QStringLiteral("(int)g.size:") + QString::number(state.graphWindowCount)
          << QStringLiteral(" ");
    for (int i = 0; i < count; ++i) {
        const EntryLogState& nic = state.entries[static_cast<size_t>(i)];
        const QString p = QStringLiteral("v[") + QString::number(i);
        lines << p + QStringLiteral("]->Name:") + nic.name
              << p + QStringLiteral("]->Index:") + nic.index
              << p + QStringLiteral("]->Mac:") + nic.mac
              << p + QStringLiteral("]->get_alte_werte(send):") + number(nic.alteSend)
              << p + QStringLiteral("]->get_alte_werte(received):") + number(nic.alteReceived)
              << p + QStringLiteral("]->get_gesamt_send():") + number(nic.gesamtSend)
              << p + QStringLiteral("]->get_gesamt_received():") + number(nic.gesamtReceived)
              << p + QStringLiteral("]->get_wert_send():") + number(nic.wertSend)
              << p + QStringLiteral("]->get_wert_received():") + number(nic.wertReceived)
              << p + QStringLiteral("]->get_rate_send():") + number(nic.rateSend)
              << p + QStringLiteral("]->get_rate_received():") + number(nic.rateReceived)
              << QStringLiteral(" ");
    }
    return lines;
}

QString applicationExceptionMessage(const QString& error8Text, const QString& exceptionClass,
                                    const QString& message)
{
    return error8Text + QStringLiteral("\n\n classname: ") + exceptionClass + QStringLiteral("\n message: ")
        + message + QStringLiteral("\n help-id: 0\n methodname: ");
}
