#pragma once
// Watches the log and the controller to tell whether a press got as far as starting a run.

#include "app/AppController.h"

#include <QMutex>
#include <QMutexLocker>
#include <QPushButton>
#include <QStringList>
#include <QtGlobal>

namespace KalvorenTest {

// Keeps every log line the program writes once started (and passes them on). Start it from
// initTestCase: QTest installs its own handler when the test begins.
class LogCapture
{
public:
    LogCapture() = default;
    ~LogCapture()
    {
        if (instance() == this) {
            qInstallMessageHandler(m_previous);
            instance() = nullptr;
        }
    }
    void start()
    {
        instance() = this;
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }

    QStringList lines() const
    {
        QMutexLocker locker(&m_mutex);
        return m_lines;
    }
    void clear()
    {
        QMutexLocker locker(&m_mutex);
        m_lines.clear();
    }
    // Lines that start with prefix.
    QStringList linesStartingWith(const QString &prefix) const
    {
        QStringList found;
        for (const QString &line : lines()) {
            if (line.startsWith(prefix))
                found.append(line);
        }
        return found;
    }

private:
    static LogCapture *&instance()
    {
        static LogCapture *current = nullptr;
        return current;
    }
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (LogCapture *self = instance()) {
            {
                QMutexLocker locker(&self->m_mutex);
                self->m_lines.append(text);
            }
            if (self->m_previous)
                self->m_previous(type, context, text);
        }
    }

    mutable QMutex m_mutex;
    QStringList m_lines;
    QtMessageHandler m_previous = nullptr;
};

// True once a run has been started: the run titles the button "Cancel" and raises
// threadRunning; a build whose optimizer is still the placeholder says so in the log instead.
inline bool runStarted(const AppController &controller, const LogCapture &log)
{
    if (controller.threadRunning())
        return true;
    if (controller.theMainButton && controller.theMainButton->text() == QLatin1String("Cancel"))
        return true;
    return !log.linesStartingWith(QStringLiteral("The optimizer is not part of this build"))
                    .isEmpty();
}

// True when no run is under way any more (or none was started).
inline bool runOver(const AppController &controller)
{
    return !controller.threadRunning()
            && !(controller.theMainButton
                 && controller.theMainButton->text() == QLatin1String("Cancel"));
}

} // namespace KalvorenTest
