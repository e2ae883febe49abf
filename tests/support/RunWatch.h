#pragma once
// Watches the log and the controller to tell whether a press got as far as starting a run.

#include "app/AppController.h"
#include "optimizer/OptimizerController.h"

#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <QtGlobal>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

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

// True once a run has been started: it is under way, or it has already ended (a fresh
// controller has no result of a run).
inline bool runStarted(const AppController &controller, const LogCapture &)
{
    return controller.optimizationRunning() || controller.lastOptimizerResult().plan.count > 0;
}

// True when no run is under way any more (or none was started).
inline bool runOver(const AppController &controller)
{
    return !controller.optimizationRunning();
}

// A run under way: started as the button starts one (a fresh sample first) and held at its
// first block until release() (or the end of the scope), so that a press meanwhile only asks
// it to cancel.
class HeldRun
{
public:
    HeldRun(AppController &controller, Kalvoren::OptimizerController &)
    {
        std::shared_ptr<std::atomic<bool>> open = m_open;
        controller.setBlockAllocator({ [open](std::size_t size) {
                                          while (!open->load())
                                              std::this_thread::yield();
                                          return std::malloc(size);
                                      },
                                       [](void *block) { std::free(block); } });
        controller.startOptimization();
        m_started = controller.optimizationRunning();
    }
    ~HeldRun() { release(); }
    HeldRun(const HeldRun &) = delete;
    HeldRun &operator=(const HeldRun &) = delete;

    bool started() const { return m_started; }
    void release() { m_open->store(true); }

private:
    std::shared_ptr<std::atomic<bool>> m_open = std::make_shared<std::atomic<bool>>(false);
    bool m_started = false;
};

} // namespace KalvorenTest
