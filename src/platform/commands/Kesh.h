#pragma once

#include <QString>
#include <QStringList>

// Small toolbox for running shell command lines and picking numbers out of their text.
// Every operation is reentrant: the sampler calls it on the main thread while a worker may
// call it at the same time.
class Kesh
{
public:
    Kesh() = delete;

    // Runs commandLine through /bin/sh and returns its whole standard output, newlines as
    // printed. Never null: a command that cannot start or prints nothing gives "".
    // Standard error is left alone and reaches our own standard error.
    static QString shellcmd(const QString &commandLine);

    // Every capture group (1..n) of every match, match by match. "." matches a newline,
    // so one pattern can span the lines of a command's output. Throws
    // Kalvoren::PatternError when the pattern does not compile.
    static QStringList quickMatches(const QString &text, const QString &pattern);

    // Group 1 of the first match, or a null QString when nothing matches.
    static QString quickMatch(const QString &text, const QString &pattern);

    // Writes "[i]=element" to the log, one line per element.
    static void printArray(const QStringList &array);
};
