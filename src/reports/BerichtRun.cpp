#include "reports/BerichtRun.h"

#include "base/Clock.h"
#include "config/DetailText.h"
#include "config/TSprache.h"
#include "reports/BerichtDocument.h"
#include "reports/BerichtSink.h"
#include "reports/LocaleTexts.h"
#include "reports/ReportFile.h"
#include "storage/Database.h"

#include <cmath>
#include <exception>

namespace {

// Thrown when the sink asks the run to stop.
struct Stopped
{
};

} // namespace

bool runBericht(Database& db, const std::vector<BerichtAdapter>& adapters, const BerichtOptions& options,
                const TSprache& sprache, const Clock& clock, BerichtSink& sink)
{
    const LocaleTexts texts;
    const long double divisor = std::pow(static_cast<long double>(options.base), options.unitIndex);
    int flagged = 0;
    for (const BerichtAdapter& a : adapters)
        flagged += a.bericht ? 1 : 0;
    // One step per reported adapter, one per adapter of the list, the end and the file.
    const int overallMaximum = flagged + static_cast<int>(adapters.size()) + 2;
    int overall = 0;
    sink.overallProgress(overall, overallMaximum);

    try {
        BerichtDocument doc(sprache, texts, options.base, options.unitText);
        doc.head();
        for (const BerichtAdapter& adapter : adapters) {
            if (adapter.bericht) {
                sink.log(texts.shortDate(clock.now().date()) + QLatin1Char(' ') + sprache.error(QStringLiteral("Error31"))
                         + QLatin1Char(' ') + adapter.name + QLatin1Char('(') + adapter.index + QStringLiteral(")..."));
                doc.adapterHeading(adapter.name, adapter.index);
                const std::vector<TrafficDay> days = loadTrafficDays(db, adapter.index);
                const int rows = static_cast<int>(days.size());
                auto progress = [&](int read) {
                    if ((read & 255) == 0 && sink.stopRequested())
                        throw Stopped();
                    sink.adapterProgress(read, rows);
                };
                if (sink.stopRequested())
                    throw Stopped();
                sink.adapterProgress(0, rows);
                if (options.tagesbericht)
                    doc.dayTable(days, divisor, progress);
                // Without stored days there are no periods to show.
                if (!days.empty()) {
                    if (options.monatsbericht) {
                        sink.adapterProgress(0, rows);
                        doc.monthTable(days, divisor, progress);
                    }
                    if (options.eigenerbericht) {
                        sink.adapterProgress(0, rows);
                        doc.ownRangeTable(days, divisor, options.fromDay, options.toDay);
                        sink.adapterProgress(rows, rows);
                    }
                    sink.adapterProgress(0, rows);
                    if (options.jahresbericht)
                        doc.yearTable(days, progress);
                }
                sink.overallProgress(++overall, overallMaximum);
                sink.adapterProgress(0, rows);
                doc.summary(days, progress);
            }
            sink.overallProgress(++overall, overallMaximum);
        }
        sink.overallProgress(++overall, overallMaximum);
        doc.closing(clock.now());
        if (sink.stopRequested())
            throw Stopped();
        writeReportFile(options.path, doc.lines(), db.filePath());
    } catch (const Stopped&) {
        return false;
    } catch (const DetailError& e) {
        sink.log(e.detail().in(sprache));
        return false;
    } catch (const std::exception& e) {
        sink.log(QString::fromUtf8(e.what()));   // the engine's own text
        return false;
    }
    // A report without its style sheet still reads; it only looks plain.
    layDownStyleSheet(options.path);
    sink.log(texts.shortDate(clock.now().date()) + QLatin1Char(' ')
             + sprache.text(QStringLiteral("TBerichtThread"), QStringLiteral("StrDateiGeschrieben")) + QStringLiteral(" (")
             + options.path + QLatin1Char(')'));
    sink.overallProgress(overallMaximum, overallMaximum);
    return true;
}
