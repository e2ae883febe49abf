#pragma once

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <memory>

namespace Kalvoren {

class Platform;

// Where a command writes, and what it reads for "-": the real streams in the program, memory
// buffers in tests.
struct CliStreams
{
    FILE *out = stdout;
    FILE *err = stderr;
    FILE *in = stdin;
};

// Everything a command needs from outside.
struct CliContext
{
    CliStreams streams;
    // Makes the platform to read; the live one unless a test or --platform says otherwise.
    std::function<std::unique_ptr<Platform>()> makePlatform;
    // Sleeps between repeated samples; tests replace it.
    std::function<void(double seconds)> sleep;
};

// The command line's texts for translating: Cli::tr("..."). What scripts read (the figures'
// lines, JSON keys, table layouts) stays as it is, without tr().
struct Cli
{
    Q_DECLARE_TR_FUNCTIONS(Kalvoren::Cli)
};

// Exit codes: 0 done, 1 the work failed, 2 the command line was wrong, 130 cancelled (Ctrl-C).
enum CliExit { ExitOk = 0, ExitFailure = 1, ExitUsage = 2, ExitCancelled = 130 };

// True when arguments (without the program name) name a command-line command or option
// rather than asking for the desktop program.
bool isCliInvocation(const QStringList &arguments);

// Runs the command in arguments (without the program name) and returns the exit code.
int runCli(const QStringList &arguments, CliContext context);

// Prints the figures once, the fallback when the desktop program has no display.
int printStatsOnce(CliContext context);

// "kalvoren: message" on the error stream.
void printError(const CliContext &context, const QString &message);
// Write text (and a line break) to stream at once. A failed write is remembered, and runCli
// reports the output stream's first one ("kalvoren: write error: ...") and fails.
void printLine(FILE *stream, const QString &line);
void printText(FILE *stream, const QString &text);

// Opens /dev/null read-only on each standard descriptor (0 to 2) that is closed. Otherwise the
// next file the program opens takes that number and receives its output; this way writes to
// a closed standard output fail (EBADF) and are reported. Call first thing in main.
void reserveClosedStandardStreams();

// Reads a saved text named on the command line: a file, or standard input for "-".
// At most maxBytes are read; false with "cannot read FILE: reason" in error.
bool readInput(const QString &from, const CliContext &context, qsizetype maxBytes,
               QByteArray *bytes, QString *error);

// The value after the option at arguments[*index]: stores it, steps *index past it and returns
// true; prints "OPTION needs a value" and returns false when the option is last or its value
// is empty (an empty value would otherwise read as the option left out).
bool takeOptionValue(const QStringList &arguments, qsizetype *index, const CliContext &context,
                     QString *value);

// "kalvoren: COMMAND: unknown option 'ARG'" and a pointer to the command's help; returns
// ExitUsage.
int unknownOption(const CliContext &context, const QString &command, const QString &argument);

// Parses a non-negative decimal number for an option; false with a message when it is not one.
bool parsePositiveNumber(const QString &option, const QString &text, double *value,
                         QString *error);

} // namespace Kalvoren
