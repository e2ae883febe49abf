#include "Kesh.h"

#include "PatternError.h"

#include <QDebug>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>

#include <cstdio>
#include <cstring>

namespace {

// Compiled patterns are kept, so the two-second sample does not recompile its pattern.
// QRegularExpression is implicitly shared and safe to use from several threads as a copy.
QRegularExpression compiled(const QString &pattern)
{
    static QMutex mutex;
    static QHash<QString, QRegularExpression> cache;
    QMutexLocker locker(&mutex);
    auto it = cache.constFind(pattern);
    if (it != cache.constEnd())
        return *it;
    QRegularExpression expression(pattern, QRegularExpression::DotMatchesEverythingOption);
    if (!expression.isValid()) {
        throw Kalvoren::PatternError("pattern does not compile: "
                                     + expression.errorString().toStdString());
    }
    expression.optimize();
    if (cache.size() > 64)
        cache.clear();
    cache.insert(pattern, expression);
    return expression;
}

} // namespace

QString Kesh::shellcmd(const QString &commandLine)
{
    QString result(QLatin1String(""));
    FILE *stream = popen(commandLine.toUtf8().constData(), "r");
    if (!stream)
        return result;
    // fgets semantics on purpose: chunks of at most 1023 bytes, ending early after a newline;
    // a chunk holding a NUL contributes the bytes before it.
    char buffer[1024];
    while (fgets(buffer, sizeof buffer, stream))
        result += QString::fromLocal8Bit(buffer, qsizetype(std::strlen(buffer)));
    pclose(stream);
    return result;
}

QStringList Kesh::quickMatches(const QString &text, const QString &pattern)
{
    const QRegularExpression expression = compiled(pattern);
    QStringList result;
    const int groups = expression.captureCount();
    QRegularExpressionMatchIterator it = expression.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        for (int i = 1; i <= groups; ++i)
            result.append(match.captured(i));
    }
    return result;
}

QString Kesh::quickMatch(const QString &text, const QString &pattern)
{
    const QStringList matches = quickMatches(text, pattern);
    return matches.isEmpty() ? QString() : matches.first();
}

void Kesh::printArray(const QStringList &array)
{
    for (qsizetype i = 0; i < array.size(); ++i)
        qInfo().noquote() << QStringLiteral("[%1]=%2").arg(QString::number(i), array.at(i));
}
