#include "cli/CommandLine.h"

#include "cli/PlanMode.h"
#include "cli/FleetMode.h"
#include "cli/ReportMode.h"
#include "cli/StatsMode.h"
#include "cli/SyncMode.h"
#include "cli/TableExchangeCommands.h"
#include "config/TVerInfo.h"

namespace {

int runHelp(const QStringList&, QTextStream& out, QTextStream&)
{
    out << "Usage: netzpegel [-n]\n"
           "       Starts the monitor. -n cuts each adapter's first sample to its line speed.\n"
           "       netzpegel --service [-n]\n"
           "           Counts and books like the monitor, without a window or display, until\n"
           "           SIGTERM, SIGINT or SIGHUP (for systemd and headless machines); one at a\n"
           "           time, as the monitor. Messages go to standard error and error.txt.\n";
    for (const CommandLineMode& mode : commandLineModes()) {
        out << "       netzpegel " << mode.option;
        if (*mode.usage)
            out << ' ' << mode.usage;
        out << "\n           " << mode.summary << '\n';
    }
    out << "\nThese modes need no display, work while the monitor runs and never touch its\n"
           "cache or settings. The program folder is NETZPEGEL_HOME when it is set.\n";
    return 0;
}

int runVersion(const QStringList&, QTextStream& out, QTextStream& err)
{
    TVerInfo info;
    if (!info.Lesen(TVerInfo::ownResourcePath())) {
        err << "netzpegel: the version resource cannot be read\n";
        return 1;
    }
    out << info.ProductName() << ' ' << info.FileVersion() << '\n';
    return 0;
}

} // namespace

const std::vector<CommandLineMode>& commandLineModes()
{
    static const std::vector<CommandLineMode> modes = {
        {"--help", "", "Shows this text.", runHelp},
        {"--version", "", "Shows the product name and version.", runVersion},
        {"--stats", "TABLE|NAME [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--json] [--host HOST]",
         "Prints the stored days of one adapter (by table or name) with totals and per-day averages;\n"
         "           a limit left out is no limit. --json prints one object for scripts. --host reads\n"
         "           another machine's days (its id or name) from the central database.",
         runStats},
        {"--report", "[FILE] [--host HOST]",
         "Writes the report with the saved report options, to FILE or the saved path; --host\n"
         "           reports another machine's days from the central database.",
         runReport},
        {"--plan", "[TABLE|NAME] [--json]",
         "Prints each data plan's current period, use, limit, percent and projection (all plans,\n"
         "           or one adapter's); --json prints a list of objects for scripts.",
         runPlan},
        {"--alert", "[TABLE|NAME]",
         "For cron: exit code 0 below every warning level of the data plans, 2 when a warning\n"
         "           level is reached, 3 at or above the limit, 1 on an error.",
         runAlert},
        {"--export", "TABLE FILE", "Writes the days of a traffic table to the table file FILE.", runExportCommand},
        {"--import", "FILE TABLE", "Adds the days of a table file to a traffic table (made when missing).",
         runImportCommand},
        {"--sync", "[--all]",
         "Sends every stored day the central database (setting Zentrale) does not hold yet, the first\n"
         "           time the whole history; --all sends every day again. Prints progress and a summary.",
         runSync},
        {"--fleet", "[--from YYYY-MM-DD] [--to YYYY-MM-DD] [--json]",
         "Prints each host's and adapter's received, sent and total bytes and days from the central\n"
         "           database, largest total first. --json prints a list of objects for scripts.",
         runFleet},
    };
    return modes;
}

const CommandLineMode* findCommandLineMode(const QStringList& arguments)
{
    for (const QString& argument : arguments)
        for (const CommandLineMode& mode : commandLineModes())
            if (argument == QLatin1String(mode.option))
                return &mode;
    return nullptr;
}

std::optional<int> runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const CommandLineMode* mode = findCommandLineMode(arguments);
    if (!mode)
        return std::nullopt;
    QStringList rest = arguments;
    rest.removeOne(QLatin1String(mode->option));
    const int code = mode->run(rest, out, err);
    out.flush();
    err.flush();
    return code;
}
