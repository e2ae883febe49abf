#pragma once

#include <QByteArray>

#include <cstdio>

// Everything written so far to a stream that a test handed to a command-line command in place
// of stdout or stderr (a std::tmpfile()). The stream stays open.
inline QByteArray streamContents(FILE *stream)
{
    std::fflush(stream);
    std::rewind(stream);
    QByteArray bytes;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
        bytes.append(buffer, qsizetype(n));
    return bytes;
}
