#include "desktop/ApplicationExceptionLog.h"

#include "acquisition/TNic.h"
#include "config/TVerInfo.h"
#include "desktop/ExceptionLog.h"

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
    const int count = state.v ? static_cast<int>(state.v->size()) : 0;
    lines << QStringLiteral("Mainform->PageControl1->ActivePage->Name:") + state.activePageName
          << QStringLiteral("Mainform->PageControl1->TabIndex:") + QString::number(state.activePageIndex)
          << QStringLiteral(" ")
          << QStringLiteral("(int)v.size:") + QString::number(count)
          << QStringLiteral("(int)g.size:") + QString::number(state.graphWindowCount)
          << QStringLiteral(" ");
    for (int i = 0; i < count; ++i) {
        const TNic& nic = *(*state.v)[static_cast<size_t>(i)];
        const QString p = QStringLiteral("v[") + QString::number(i);
        long double alteSend = 0;
        long double alteReceived = 0;
        nic.get_alte_werte(alteSend, alteReceived);
        lines << p + QStringLiteral("]->Name:") + nic.Name
              << p + QStringLiteral("]->Index:") + nic.Index
              << p + QStringLiteral("]->Mac:") + nic.Mac
              << p + QStringLiteral("]->get_alte_werte(send):") + number(alteSend)
              << p + QStringLiteral("]->get_alte_werte(received):") + number(alteReceived)
              << p + QStringLiteral("]->get_gesamt_send():") + number(nic.get_gesamt_send())
              << p + QStringLiteral("]->get_gesamt_received():") + number(nic.get_gesamt_received())
              << p + QStringLiteral("]->get_wert_send():") + number(nic.get_wert_send())
              << p + QStringLiteral("]->get_wert_received():") + number(nic.get_wert_received())
              << p + QStringLiteral("]->get_rate_send():") + number(nic.get_rate_send())
              << p + QStringLiteral("]->get_rate_received():") + number(nic.get_rate_received())
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
