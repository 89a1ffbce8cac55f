#include "desktop/UnhandledFailure.h"

#include "config/IniFile.h"
#include "config/Settings.h"
#include "config/TSprache.h"
#include "config/TVerInfo.h"
#include "desktop/ApplicationExceptionLog.h"
#include "base/ExceptionLog.h"

namespace {

// Whatever has gone wrong, the language file is worth a try for the message.
QString error8Text()
{
    try {
        QString file = IniReadString(QStringLiteral("Allgemein"), QStringLiteral("Sprachdateiname"));
        if (file.isEmpty())
            file = Einstellungen{}.sprachdateiname;
        TSprache sprache;
        sprache.Laden(file);
        return sprache.error(QStringLiteral("Error8"));
    } catch (...) {
        return {};
    }
}

} // namespace

QString logUnhandledFailure(const QString& senderClass, const std::exception* e)
{
    const QString what = e ? QString::fromUtf8(e->what()) : QStringLiteral("Unbekannte Ausnahme");
    const QString className = e ? exceptionClassName(*e) : QStringLiteral("Exception");
    // The version object exists from the moment the main window has read it
    // until it is released; the log's version texts follow it.
    TVerInfo verInfo;
    ApplicationState state;
    if (hasLogVersionTexts() && verInfo.Lesen(TVerInfo::ownResourcePath())) {
        verInfo.setDbversion(logDbVersion());
        state.verInfo = &verInfo;
        state.caption = verInfo.windowCaption();
    }
    WriteLogLines(applicationExceptionHead(state, what, className, senderClass));
    return applicationExceptionMessage(error8Text(), className, what);
}
