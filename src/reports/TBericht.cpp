#include "reports/TBericht.h"

#include "base/Clock.h"
#include "reports/BerichtRun.h"
#include "reports/BerichtSink.h"
#include "storage/Database.h"

#include <QElapsedTimer>

// Hands the run's output to the thread's signals. Rows come by the hundred
// thousand, and a progress bar repaints at once when it moves: the bar within
// an adapter hears of a step at most every 40 ms, the overall bar of each
// percent it moves.
class TBerichtSink : public BerichtSink
{
public:
    explicit TBerichtSink(TBericht& thread)
        : m_thread(thread)
    {
        m_sinceAdapter.start();
    }

    void log(const QString& line) override { emit m_thread.logLine(line); }
    void adapterProgress(int position, int maximum) override
    {
        m_adapterWanted = {maximum, position};
        if (percentOf(position, maximum) != percentOf(m_adapterShown.position, m_adapterShown.maximum)
            && m_sinceAdapter.elapsed() >= kAdapterStepMs)
            showAdapter();
    }
    void overallProgress(int position, int maximum) override
    {
        m_thread.m_stepsDone = position;
        m_thread.m_steps = maximum;
        if (maximum != m_overallShown.maximum || percentOf(position, maximum) != percentOf(m_overallShown.position, maximum)) {
            m_overallShown = {maximum, position};
            emit m_thread.overallProgress(position, maximum);
        }
    }
    bool stopRequested() const override { return m_thread.isInterruptionRequested(); }

    // The last step within the adapter, when it was held back.
    void flush()
    {
        if (m_adapterWanted.maximum != m_adapterShown.maximum || m_adapterWanted.position != m_adapterShown.position)
            showAdapter();
    }

private:
    static constexpr qint64 kAdapterStepMs = 40;
    struct Shown
    {
        int maximum = -1;
        int position = -1;
    };

    static int percentOf(int position, int maximum)
    {
        return maximum > 0 ? static_cast<int>(100LL * position / maximum) : -1;
    }
    void showAdapter()
    {
        m_adapterShown = m_adapterWanted;
        m_sinceAdapter.restart();
        emit m_thread.adapterProgress(m_adapterShown.position, m_adapterShown.maximum);
    }

    TBericht& m_thread;
    QElapsedTimer m_sinceAdapter;
    Shown m_adapterWanted;
    Shown m_adapterShown;
    Shown m_overallShown;
};

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
    Database db(m_databasePath, Database::readOnlyOptions());
    db.setAbortCheck([this] { return isInterruptionRequested(); });
    TBerichtSink sink(*this);
    m_succeeded = runBericht(db, m_adapters, m_options, m_sprache, *m_clock, sink);
    sink.flush();
}
