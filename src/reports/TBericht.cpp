#include "reports/TBericht.h"

#include "acquisition/Clock.h"
#include "reports/BerichtRun.h"
#include "reports/BerichtSink.h"
#include "storage/Database.h"

namespace {

// Hands the run's output to the thread's signals. Rows come by the hundred
// thousand: a bar only hears of a step that moves it by a percent.
class SignalSink : public BerichtSink
{
public:
    explicit SignalSink(TBericht& thread)
        : m_thread(thread)
    {
    }

    void log(const QString& line) override { emit m_thread.logLine(line); }
    void adapterProgress(int position, int maximum) override
    {
        if (moves(m_adapter, position, maximum))
            emit m_thread.adapterProgress(position, maximum);
    }
    void overallProgress(int position, int maximum) override
    {
        if (moves(m_overall, position, maximum))
            emit m_thread.overallProgress(position, maximum);
    }
    bool stopRequested() const override { return m_thread.isInterruptionRequested(); }

private:
    struct Shown
    {
        int maximum = -1;
        int percent = -1;
    };

    static bool moves(Shown& shown, int position, int maximum)
    {
        const int percent = maximum > 0 ? static_cast<int>(100LL * position / maximum) : 0;
        if (maximum == shown.maximum && percent == shown.percent)
            return false;
        shown = {maximum, percent};
        return true;
    }

    TBericht& m_thread;
    Shown m_adapter;
    Shown m_overall;
};

} // namespace

TBericht::TBericht(QString databasePath, std::vector<BerichtAdapter> adapters, BerichtOptions options,
                   TSprache sprache, const Clock* clock, QObject* parent)
    : QThread(parent)
    , m_databasePath(std::move(databasePath))
    , m_adapters(std::move(adapters))
    , m_options(std::move(options))
    , m_sprache(std::move(sprache))
    , m_clock(clock)
{
}

void TBericht::run()
{
    Database::Options options;
    options.readOnly = true;
    options.layDownShippedIfMissing = false;
    Database db(m_databasePath, options);
    db.setAbortCheck([this] { return isInterruptionRequested(); });
    SignalSink sink(*this);
    m_succeeded = runBericht(db, m_adapters, m_options, m_sprache, *m_clock, sink);
}
