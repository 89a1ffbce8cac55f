#pragma once

#include <QStringList>
#include <QTextStream>

#include <optional>
#include <vector>

// A mode of the executable that runs without a window: over ssh, from cron,
// while the monitor runs or not. It prints results to `out`, errors to `err`,
// and returns the exit code (0 success, 1 failure).
struct CommandLineMode
{
    const char* option;  // "--stats"
    const char* usage;   // its arguments as --help shows them
    const char* summary; // one line for --help
    int (*run)(const QStringList& arguments, QTextStream& out, QTextStream& err);
};

// The modes, in the order --help lists them.
const std::vector<CommandLineMode>& commandLineModes();

// The mode named by the first argument that is one of the modes' options, or
// none when the arguments ask for the window.
const CommandLineMode* findCommandLineMode(const QStringList& arguments);

// Runs the mode `arguments` ask for (arguments without the program name) and
// returns its exit code; nothing when they ask for the window. Needs a
// QCoreApplication, never a display.
std::optional<int> runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err);
